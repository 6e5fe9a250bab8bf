#include "catalog/catalog.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "common/fs.h"

namespace gs {
namespace {

TEST(Catalog, CurrentFileNameOfEveryTypeAndLanguage) {
  const char* expected[3][6] = {
      {"FrontEnglish.bin", "FrontFrench.bin", "FrontGerman.bin", "FrontSwedish.bin", "FrontFinnish.bin",
       "FrontCzech.bin"},
      {"GameEnglish.bin", "GameFrench.bin", "GameGerman.bin", "GameSwedish.bin", "GameFinnish.bin",
       "GameCzech.bin"},
      {"emaildata.dta", "emaildataFrench.dta", "emaildataGerman.dta", "emaildataSwedish.dta",
       "emaildataFinnish.dta", "emaildataCzech.dta"},
  };
  for (size_t t = 0; t < kFileTypes.size(); ++t) {
    for (size_t l = 0; l < kLanguages.size(); ++l) {
      EXPECT_EQ(CurrentFileName(kFileTypes[t], kLanguages[l]), expected[t][l]);
    }
  }
}

TEST(Catalog, TypedTextsGoIntoTheNameUnchanged) {
  EXPECT_EQ(CurrentFileName("Game", "Polish"), "GamePolish.bin");
  EXPECT_EQ(CurrentFileName("E-Mail", "Polish"), "emaildataPolish.dta");
  EXPECT_EQ(CurrentFileName("Front", ""), "Front.bin");
  EXPECT_EQ(CurrentFileName("front", "English"), "");
  EXPECT_EQ(CurrentFileName("", "English"), "");
}

TEST(Catalog, KindIsACaseSensitivePrefixTest) {
  EXPECT_EQ(KindOf("FrontEnglish.bin"), FileKind::Front);
  EXPECT_EQ(KindOf("GameCzech.bin"), FileKind::Game);
  EXPECT_EQ(KindOf("frontEnglish.bin"), FileKind::Email);
  EXPECT_EQ(KindOf(""), FileKind::Email);
  EXPECT_TRUE(IsStringTable("Game.bin"));
  EXPECT_FALSE(IsStringTable("emaildata.dta"));
}

TEST(Catalog, OnlyTheFrenchSlotStoresItsLettersInAFormOfItsOwn) {
  for (const auto& [name, letters] : std::vector<std::pair<std::string, StoredLetters>>{
           {"FrontFrench.bin", StoredLetters::Cyrillic},
           {"emaildataFrench.dta", StoredLetters::Cyrillic},
           {"GameFrench.bin", StoredLetters::GameCyrillic},
           {"FrontGerman.bin", StoredLetters::AsEdited},
           {"GameCzech.bin", StoredLetters::AsEdited},
           {"emaildataSwedish.dta", StoredLetters::AsEdited},
           {"emaildata.dta", StoredLetters::AsEdited},
           {"GameEnglish.bin", StoredLetters::AsEdited},
           // Exact names only, as the catalog builds them.
           {"Frontfrench.bin", StoredLetters::AsEdited},
           {"GameFrench.dta", StoredLetters::AsEdited},
           {"GameFrench(Russian).bin", StoredLetters::AsEdited},
           {"", StoredLetters::AsEdited},
       }) {
    EXPECT_EQ(StoredLettersOf(name), letters) << name;
  }
}

struct Choices : ChoiceTexts {
  std::string type, language;
  std::string TypeText() const override { return type; }
  std::string LanguageText() const override { return language; }
};

TEST(Catalog, PathsOfOneCycle) {
  const std::string s(1, kPathSeparator);
  const std::string install = s + "Game" + s;
  CatalogPaths p;
  SetProgramFolder(p, install);
  EXPECT_EQ(p.WorkDir, install + "KT" + s);
  EXPECT_EQ(p.ToolPath, install + "KT" + s + "ImpBig.exe");

  Choices c;
  c.type = "E-Mail";
  c.language = "German";
  const std::string name = CurrentFileName(c);
  SetWorkPaths(p, name);
  EXPECT_EQ(p.GameArchivePath, install + "db" + s + "tuning.viv");
  EXPECT_EQ(p.WorkTablePath, p.WorkDir + "emaildataGerman.dta");
  EXPECT_EQ(p.TextFilePath, p.WorkDir + "emaildataGerman.dta.txt");
  EXPECT_EQ(p.TemplateCopyPath, p.WorkDir + "emaildata.dta.eng");
  EXPECT_EQ(DocumentPathOf(p, name), p.WorkDir + "Efiles" + s + "emaildataGerman.dta.doc");

  SetWorkPaths(p, "FrontEnglish.bin");
  EXPECT_EQ(p.GameArchivePath, install + "fe" + s + "local.viv");
  EXPECT_EQ(p.WorkTablePath, p.WorkDir + "FrontEnglish.bin");
  EXPECT_EQ(p.TemplateCopyPath, p.WorkDir + "frontEnglish.bin.eng");
  SetWorkPaths(p, "GameFrench.bin");
  EXPECT_EQ(p.TemplateCopyPath, p.WorkDir + "gameEnglish.bin.eng");
  EXPECT_EQ(PreloadArchivePath(install), install + "preload" + s + "fmisc.viv");
  EXPECT_EQ(HeaderFilePath(install), install + "fe" + s + "local.bh");
}

TEST(Catalog, InstallDirWithoutTrailingSeparatorIsUsedAsRead) {
  CatalogPaths p;
  SetProgramFolder(p, "C:" + std::string(1, kPathSeparator) + "Game");
  EXPECT_EQ(p.WorkDir, "C:" + std::string(1, kPathSeparator) + "GameKT" + std::string(1, kPathSeparator));
}

}  // namespace
}  // namespace gs
