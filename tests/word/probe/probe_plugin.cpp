// The tests' Writer plugin: the shipped plugin's objects, with applications
// that a probe sees into. Its applications are the shipped ones, each
// wrapped with its probe.
#include <unistd.h>

#include <com/sun/star/awt/XTopWindow2.hpp>
#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/frame/DispatchHelper.hpp>
#include <com/sun/star/frame/XDispatchProvider.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/linguistic2/LinguServiceManager.hpp>
#include <com/sun/star/linguistic2/XSpellChecker.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XModifiable.hpp>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "common/file.h"
#include "tests/word/probe/writer_probe.h"
#include "word/writer/exported_text.h"
#include "word/writer/file_url.h"
#include "word/writer/uno/office_document.h"
#include "word/writer/uno/writer_app.h"
#include "word/writer/uno/writer_document.h"
#include "word/writer/word_error.h"

namespace gs::testing {

namespace {

namespace css = ::com::sun::star;
using css::uno::Any;
using writer::CallLength;
using writer::OfficeConnection;
using writer::RaiseWordError;
using writer::Reference;
using writer::UNO_QUERY_THROW;

// The offices this process started that run now: soffice.bin with a pipe
// named after this process (office_connection.cpp names them so).
std::set<int> OfficesOfThisProcess() {
  const std::string pipe = "--accept=pipe,name=glossmith-" + std::to_string(::getpid()) + "-";
  std::set<int> offices;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream in(entry.path() / "cmdline", std::ios::binary);
    const std::string cmdline((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (cmdline.find("soffice.bin") != std::string::npos && cmdline.find(pipe) != std::string::npos) {
      offices.insert(std::stoi(name));
    }
  }
  return offices;
}

// Column and row (from 0) of a simple cell name such as "B12".
std::pair<size_t, size_t> CellPosition(const std::string& name) {
  size_t column = 0;
  size_t i = 0;
  for (; i < name.size() && name[i] >= 'A' && name[i] <= 'Z'; ++i)
    column = column * 26 + static_cast<size_t>(name[i] - 'A' + 1);
  const size_t row = writer::CellRow(name);
  if (column == 0 || row == 0 || name.find('.') != std::string::npos) {
    RaiseWordError(wderr::ValueOutOfRange, "cell " + name);
  }
  return {column - 1, row - 1};
}

class OfficeProbe final : public WriterProbe {
 public:
  OfficeProbe(WordApp& app, OfficeConnection& office, int pid) : app_(app), office_(office), pid_(pid) {}

  int OfficePid() override { return OfficesOfThisProcess().contains(pid_) ? pid_ : 0; }
  bool Headless() override { return office_.Headless(); }

  int32_t TableCount() override {
    auto& content = Content();
    if (const auto* text = content.Text()) return static_cast<int32_t>(text->TableCount());
    return office_.Call("probe", CallLength::Short, [&] {
      int32_t tables = 0;
      for (const auto& part : writer::BodyPartsOf(content.Model())) tables += part.table.is() ? 1 : 0;
      return tables;
    });
  }
  int32_t TableRows(int32_t table) override {
    return app_.ActiveDocument().Tables().Item(table).Rows().Count();
  }
  int32_t TableColumns(int32_t table) override {
    if (const auto* text = Content().Text()) {
      const auto& rows = TextTable(*text, table).rows;
      return rows.empty() ? 0 : static_cast<int32_t>(rows.front().size());
    }
    const auto t = TableAt(table);
    return office_.Call("probe", CallLength::Short,
                        [&] { return static_cast<int32_t>(t->getColumns()->getCount()); });
  }
  std::string CellText(int32_t table, const std::string& cell) override {
    if (const auto* text = Content().Text()) {
      const auto [column, row] = CellPosition(cell);
      return TextTable(*text, table).rows.at(row).at(column);
    }
    const auto t = TableAt(table);
    return office_.Call("probe", CallLength::Short,
                        [&] { return writer::ToUtf8(writer::CellTextOf(t, cell)->getString()); });
  }
  void SetCellText(int32_t table, const std::string& cell, const std::string& text) override {
    const auto t = TableAt(table);
    (void)CellPosition(cell);
    office_.Call("probe", CallLength::Short,
                 [&] { writer::CellTextOf(t, cell)->setString(writer::ToOUString(text)); });
  }
  std::string CellLanguage(int32_t table, const std::string& cell) override {
    const auto t = TableAt(table);
    (void)CellPosition(cell);
    return office_.Call("probe", CallLength::Short, [&] {
      const auto text = writer::CellTextOf(t, cell);
      css::lang::Locale locale;
      Reference<css::beans::XPropertySet>(text->createTextCursor(), UNO_QUERY_THROW)
          ->getPropertyValue("CharLocale") >>= locale;
      return writer::ToUtf8(locale.Language) + "-" + writer::ToUtf8(locale.Country);
    });
  }
  std::optional<bool> SpellingAccepted(const std::string& word, const std::string& language) override {
    if (!office_.Connected()) office_.RaiseGone("probe");
    const auto dash = language.find('-');
    const css::lang::Locale locale(
        writer::ToOUString(language.substr(0, dash)),
        writer::ToOUString(dash == std::string::npos ? "" : language.substr(dash + 1)), rtl::OUString());
    return office_.Call("probe", CallLength::Long, [&]() -> std::optional<bool> {
      const auto checker =
          css::linguistic2::LinguServiceManager::create(office_.Context())->getSpellChecker();
      if (!checker->hasLocale(locale)) return std::nullopt;
      return static_cast<bool>(checker->isValid(writer::ToOUString(word), locale,
                                                css::uno::Sequence<css::beans::PropertyValue>()));
    });
  }
  PageSize Page() override {
    auto& content = Content();
    if (const auto* text = content.Text()) return PageSize{0, 0, text->Landscape()};
    return office_.Call("probe", CallLength::Short, [&] {
      const auto style = writer::PageStyleOf(content.Model());
      PageSize page;
      style->getPropertyValue("Width") >>= page.width;
      style->getPropertyValue("Height") >>= page.height;
      page.landscape = writer::IsLandscape(style);
      return page;
    });
  }
  bool WindowVisible() override {
    const auto& controller = Content().Controller();
    if (!controller.is()) return false;
    return office_.Call("probe", CallLength::Short, [&] {
      return static_cast<bool>(
          Reference<css::awt::XWindow2>(controller->getFrame()->getContainerWindow(), UNO_QUERY_THROW)
              ->isVisible());
    });
  }
  bool WindowMaximized() override {
    const auto& controller = Content().Controller();
    if (!controller.is()) return false;
    return office_.Call("probe", CallLength::Short, [&] {
      return static_cast<bool>(
          Reference<css::awt::XTopWindow2>(controller->getFrame()->getContainerWindow(), UNO_QUERY_THROW)
              ->getIsMaximized());
    });
  }
  void CloseWindow() override {
    auto& content = Content();
    if (!content.Controller().is()) RaiseWordError(wderr::NotAvailable, "the document has no window");
    office_.Call("probe", CallLength::Long, [&] {
      Reference<css::util::XModifiable>(content.Model(), UNO_QUERY_THROW)->setModified(false);
      const Reference<css::frame::XDispatchProvider> frame(content.Controller()->getFrame(), UNO_QUERY_THROW);
      css::frame::DispatchHelper::create(office_.Context())
          ->executeDispatch(frame, ".uno:CloseWin", "", 0, css::uno::Sequence<css::beans::PropertyValue>());
    });
  }
  void LoadAndStore(const std::string& source, const std::string& target) override {
    if (!office_.Connected()) office_.RaiseGone("probe");
    const std::string filter = writer::DetectFilter(office_, source);
    const auto model = writer::LoadDocument(office_, source, filter);
    office_.Call("load and store", CallLength::Long, [&] {
      Reference<css::frame::XStorable>(model, UNO_QUERY_THROW)
          ->storeToURL(writer::ToOUString(writer::FileUrl(writer::AbsolutePath(target))),
                       writer::Properties({writer::Property("FilterName", Any(writer::ToOUString(filter))),
                                           writer::Property("Overwrite", Any(true))}));
      Reference<css::util::XCloseable>(model, UNO_QUERY_THROW)->close(true);
    });
  }

 private:
  writer::DocumentContent& Content() {
    return dynamic_cast<writer::WriterDocument&>(app_.ActiveDocument()).Content();
  }
  // The table in the office; the document is handed over first, as a
  // member of Word's table would.
  Reference<css::text::XTextTable> TableAt(int32_t index) {
    auto& content = Content();
    content.HandToOffice();
    return office_.Call("probe", CallLength::Short, [&] {
      int32_t seen = 0;
      for (const auto& part : writer::BodyPartsOf(content.Model())) {
        if (part.table.is() && ++seen == index) return part.table;
      }
      RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
    });
  }
  static const writer::Table& TextTable(const writer::TextDocument& text, int32_t index) {
    int32_t seen = 0;
    for (const auto& block : text.Blocks()) {
      if (const auto* table = std::get_if<writer::Table>(&block); table != nullptr && ++seen == index)
        return *table;
    }
    RaiseWordError(wderr::NoSuchMember, "Tables.Item(" + std::to_string(index) + ")");
  }

  WordApp& app_;
  OfficeConnection& office_;
  int pid_;
};

// An application of the shipped kind, with its probe.
class ProbedApp final : public WordApp {
 public:
  ProbedApp(const WordAppOptions& options, std::shared_ptr<writer::WrittenDocuments> written) {
    const auto before = OfficesOfThisProcess();
    auto office = std::make_unique<OfficeConnection>(options);
    OfficeConnection& connection = *office;
    app_ = writer::MakeWriterApp(std::move(office), std::move(written));
    int pid = 0;
    for (const int office : OfficesOfThisProcess()) {
      if (!before.contains(office)) pid = office;
    }
    probe_ = std::make_unique<OfficeProbe>(*app_, connection, pid);
  }
  WriterProbe& Probe() { return *probe_; }

  WordDocuments& Documents() override { return app_->Documents(); }
  WordDocument& ActiveDocument() override { return app_->ActiveDocument(); }
  WordSelection& Selection() override { return app_->Selection(); }
  void SetVisible(bool visible) override { app_->SetVisible(visible); }
  void SetWindowState(int32_t state) override { app_->SetWindowState(state); }
  void Quit(bool saveChanges) override { app_->Quit(saveChanges); }

 private:
  std::unique_ptr<WordApp> app_;
  std::unique_ptr<WriterProbe> probe_;
};

}  // namespace

}  // namespace gs::testing

// The applications started with options, sharing what they write with all
// the others of the same memory (made on first use).
extern "C" __attribute__((visibility("default"))) void glossmith_probed_writer_apps(
    const gs::WordAppOptions* options, std::shared_ptr<void>* memory, gs::WordAppFactory* apps) {
  if (!*memory) *memory = std::make_shared<gs::writer::WrittenDocuments>();
  *apps = [options = *options, written = std::static_pointer_cast<gs::writer::WrittenDocuments>(*memory)] {
    return std::unique_ptr<gs::WordApp>(std::make_unique<gs::testing::ProbedApp>(options, written));
  };
}

extern "C" __attribute__((visibility("default"))) gs::testing::WriterProbe* glossmith_writer_probe(
    gs::WordApp* app) {
  auto* probed = dynamic_cast<gs::testing::ProbedApp*>(app);
  return probed != nullptr ? &probed->Probe() : nullptr;
}
