// The texts the sample tables are made of, one column per language of the
// language list: English, French(Russian), German, Swedish, Finnish, Czech.
#pragma once

#include <array>
#include <string_view>

namespace gs::sample {

using Phrase = std::array<std::string_view, 6>;

// Menu lines and in-game texts.
inline constexpr Phrase kMenuLines[] = {
    {"Play Now", "Играть", "Jetzt spielen", "Spela nu", "Pelaa nyt", "Hrát"},
    {"Season Mode", "Режим сезона", "Saisonmodus", "Säsongsläge", "Kausitila", "Režim sezóny"},
    {"Dynasty Mode", "Режим династии", "Dynastie-Modus", "Dynastiläge", "Dynastiatila", "Režim dynastie"},
    {"Options", "Настройки", "Optionen", "Alternativ", "Asetukset", "Možnosti"},
    {"Controller Setup", "Настройка контроллера", "Controller-Einstellungen", "Handkontrollinställningar",
     "Ohjainasetukset", "Nastavení ovladače"},
    {"Save Game", "Сохранить игру", "Spiel speichern", "Spara spel", "Tallenna peli", "Uložit hru"},
    {"Load Game", "Загрузить игру", "Spiel laden", "Ladda spel", "Lataa peli", "Nahrát hru"},
    {"Exit to Main Menu", "Выход в главное меню", "Zurück zum Hauptmenü", "Tillbaka till huvudmenyn",
     "Palaa päävalikkoon", "Zpět do hlavního menu"},
    {"Are you sure you want to quit?", "Вы действительно хотите выйти?",
     "Möchten Sie das Spiel wirklich beenden?", "Vill du verkligen avsluta?", "Haluatko varmasti lopettaa?",
     "Opravdu chcete skončit?"},
    {"Power Play", "Большинство", "Überzahl", "Powerplay", "Ylivoima", "Přesilovka"},
    {"Penalty Kill", "Меньшинство", "Unterzahl", "Boxplay", "Alivoima", "Oslabení"},
    {"Face-off", "Вбрасывание", "Bully", "Tekning", "Aloitus", "Vhazování"},
    {"Shootout", "Буллиты", "Penaltyschießen", "Straffläggning", "Voittolaukauskilpailu",
     "Samostatné nájezdy"},
    {"Overtime", "Овертайм", "Verlängerung", "Förlängning", "Jatkoaika", "Prodloužení"},
    {"Shots on Goal", "Броски в створ", "Torschüsse", "Skott på mål", "Laukaukset maalia kohti",
     "Střely na branku"},
    {"Save Percentage", "Процент отражённых бросков", "Fangquote", "Räddningsprocent", "Torjuntaprosentti",
     "Úspěšnost zákroků"},
    {"Trade Proposal", "Предложение обмена", "Tauschangebot", "Bytesförslag", "Vaihtotarjous",
     "Návrh výměny"},
    {"Free Agents", "Свободные агенты", "Vereinslose Spieler", "Fria agenter", "Vapaat pelaajat",
     "Volní hráči"},
    {"Salary Cap", "Потолок зарплат", "Gehaltsobergrenze", "Lönetak", "Palkkakatto", "Platový strop"},
    {"Injury Report", "Отчёт о травмах", "Verletzungsbericht", "Skaderapport", "Loukkaantumisraportti",
     "Zpráva o zraněních"},
    {"Press START to continue", "Нажмите START, чтобы продолжить", "Drücken Sie START, um fortzufahren",
     "Tryck på START för att fortsätta", "Jatka painamalla START", "Pokračujte stisknutím START"},
    {"Line Changes", "Смена звеньев", "Reihenwechsel", "Byten", "Ketjunvaihdot", "Střídání formací"},
    {"Ice Time", "Игровое время", "Eiszeit", "Istid", "Peliaika", "Čas na ledě"},
    {"Crowd Noise", "Шум трибун", "Zuschauerlärm", "Publikljud", "Yleisön äänet", "Hluk publika"},
    {"Difficulty: Rookie", "Сложность: новичок", "Schwierigkeit: Anfänger", "Svårighetsgrad: nybörjare",
     "Vaikeustaso: aloittelija", "Obtížnost: nováček"},
    {"Everything is ready.", "Всё готово.", "Alles ist bereit.", "Allt är klart.", "Kaikki on valmista.",
     "Vše je připraveno."},
    {"New Year Cup", "Кубок у Ёлки", "Neujahrspokal", "Nyårscupen", "Uudenvuoden cup", "Novoroční pohár"},
    {"Period %d", "Период %d", "Drittel %d", "Period %d", "Erä %d", "Třetina %d"},
    {"Goal by %s", "Гол забил %s", "Tor durch %s", "Mål av %s", "Maalin teki %s", "Gól vstřelil %s"},
    {"Roster Changes", "Изменения в составе", "Kaderänderungen", "Truppändringar", "Kokoonpanomuutokset",
     "Změny v sestavě"},
    // Font test lines, every letter of each alphabet.
    {"The quick brown fox jumps over the lazy dog", "Съешь же ещё этих мягких французских булок, да выпей чаю",
     "Victor jagt zwölf Boxkämpfer quer über den großen Sylter Deich",
     "Flygande bäckasiner söka hwila på mjuka tuvor", "Törkylempijävongahdus",
     "Příliš žluťoučký kůň úpěl ďábelské ódy"},
    {"THE QUICK BROWN FOX", "СЪЕШЬ ЖЕ ЕЩЁ ЭТИХ МЯГКИХ ФРАНЦУЗСКИХ БУЛОК", "ÄRGER ÜBER GRÖSSE",
     "FLYGANDE BÄCKASINER SÖKA HWILA", "TÖRKYLEMPIJÄVONGAHDUS", "PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ"},
    {"Player of the Game:", "Лучший игрок матча:", "Spieler des Spiels:", "Matchens lirare:",
     "Ottelun pelaaja:", "Hráč zápasu:"},
};

// Short words that many entries share.
inline constexpr Phrase kCommonWords[] = {
    {"Yes", "Да", "Ja", "Ja", "Kyllä", "Ano"},
    {"No", "Нет", "Nein", "Nej", "Ei", "Ne"},
    {"OK", "ОК", "OK", "OK", "OK", "OK"},
    {"Cancel", "Отмена", "Abbrechen", "Avbryt", "Peruuta", "Zrušit"},
    {"Back", "Назад", "Zurück", "Tillbaka", "Takaisin", "Zpět"},
    {"Home", "Хозяева", "Heim", "Hemma", "Koti", "Domácí"},
    {"Away", "Гости", "Gast", "Borta", "Vieras", "Hosté"},
};

// Names as the game writes them, the same in every language.
inline constexpr std::string_view kPlayers[] = {
    "Jaromír Jágr", "Teemu Selänne",         "Peter Forsberg", "Saku Koivu",       "Dominik Hašek",
    "Mats Sundin",  "Nicklas Lidström",      "Patrik Eliáš",   "Miikka Kiprusoff", "Markus Näslund",
    "Joé Juneau",   "Pierre-Luc Létourneau", "Alexei Kovalev", "Žigmund Pálffy",   "Daniel Brière",
};

// E-mail subjects, bodies and the closing shared by many e-mails.
inline constexpr Phrase kEmailSubjects[] = {
    {"Trade offer", "Предложение обмена", "Tauschangebot", "Bytesbud", "Vaihtotarjous", "Nabídka výměny"},
    {"Contract talks", "Переговоры по контракту", "Vertragsgespräche", "Kontraktsförhandlingar",
     "Sopimusneuvottelut", "Jednání o smlouvě"},
    {"Injury update", "Новости о травмах", "Verletzungsupdate", "Skadeläge", "Loukkaantumistilanne",
     "Zdravotní stav"},
    {"Player of the Week", "Игрок недели", "Spieler der Woche", "Veckans spelare", "Viikon pelaaja",
     "Hráč týdne"},
    {"Season ticket sales", "Продажа абонементов", "Dauerkartenverkauf", "Säsongskortsförsäljning",
     "Kausikorttimyynti", "Prodej permanentek"},
    {"New Year tournament", "Турнир у Ёлки", "Neujahrsturnier", "Nyårsturneringen", "Uudenvuoden turnaus",
     "Novoroční turnaj"},
};

inline constexpr Phrase kEmailLines[] = {
    {"Dear General Manager,", "Уважаемый генеральный менеджер!", "Sehr geehrter Manager,", "Bäste sportchef,",
     "Hyvä toimitusjohtaja,", "Vážený generální manažere,"},
    {"The club has made an offer for %s.", "Клуб сделал предложение по игроку %s.",
     "Der Verein hat ein Angebot für %s abgegeben.", "Klubben har lagt ett bud på %s.",
     "Seura on tehnyt tarjouksen pelaajasta %s.", "Klub podal nabídku na hráče %s."},
    {"%s will miss about two weeks.\nThe team doctor expects a full recovery.",
     "%s пропустит около двух недель.\nВрач команды ожидает полного выздоровления.",
     "%s fällt etwa zwei Wochen aus.\nDer Mannschaftsarzt erwartet eine volle Genesung.",
     "%s blir borta i ungefär två veckor.\nLagläkaren räknar med full återhämtning.",
     "%s on poissa noin kaksi viikkoa.\nJoukkueen lääkäri odottaa täyttä toipumista.",
     "%s bude chybět asi dva týdny.\nTýmový lékař očekává úplné uzdravení."},
    {"Please answer before the deadline.", "Пожалуйста, ответьте до крайнего срока.",
     "Bitte antworten Sie vor Ablauf der Frist.", "Svara före tidsfristen.", "Vastaathan ennen määräaikaa.",
     "Odpovězte prosím do uzávěrky."},
    {"Congratulations on a great week!", "Поздравляем с отличной неделей!",
     "Glückwunsch zu einer starken Woche!", "Grattis till en fin vecka!", "Onnittelut hienosta viikosta!",
     "Gratulujeme k vydařenému týdnu!"},
    {"Sales:\t%d\nAttendance:\t%d%%", "Продано:\t%d\nПосещаемость:\t%d%%", "Verkauft:\t%d\nAuslastung:\t%d%%",
     "Sålda:\t%d\nPublik:\t%d%%", "Myyty:\t%d\nKatsojat:\t%d%%", "Prodáno:\t%d\nNávštěvnost:\t%d%%"},
};

inline constexpr Phrase kEmailClosing = {
    "Best regards,\nThe League Office",         "С уважением,\nОфис лиги",
    "Mit freundlichen Grüßen,\nDas Ligabüro",   "Med vänliga hälsningar,\nLigakansliet",
    "Ystävällisin terveisin,\nLiigan toimisto", "S pozdravem,\nKancelář ligy"};

}  // namespace gs::sample
