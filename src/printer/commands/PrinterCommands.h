#pragma once

#include "printer/commands/CommandReader.h"
#include "printer/paper/CommandTrace.h"

#include <QByteArray>
#include <QList>
#include <QString>

// The commands the virtual printer understands: one table, so that the
// command reader (each row's length rule), the interpreter (each row's
// family), the interpreter's notes, the command trace, the receipt preview,
// the simulator's --decode log and the help page (MXCmd.htm, "Commands the
// virtual printer understands") say the same. PRINTER.md is the reference
// the table follows, row by row. A new command is a row here and its drawing
// in its family.
namespace PrinterCommands {

// Which part of the interpreter acts on a command.
enum class Family : quint8 {
    None,       // text and control bytes
    Modes,      // text modes and paper movement (TextAndPrinterCommands.cpp)
    Characters, // code pages, two-byte characters (CharacterInput)
    Printer,    // cuts, drawer, beeper, requests, macros: nothing drawn (TextAndPrinterCommands.cpp)
    Symbols,    // barcodes and 2D symbols (SymbolCommands)
    Positions,  // positions, tab stops, page mode (PaperLayout, PageLayout.cpp)
    Images,     // raster and column images (ImageInput)
    Graphics,   // GS ( L, GS 8 L, FS q, FS p (GraphicsCommands)
    Skipped,    // known by its length only: read past and noted as unknown
};

struct Command
{
    enum class Match : quint8 {
        Key,     // its bytes start with key (and, where given, the next byte is in [from, to])
        Text,    // a text run: 20-7E and 80-FF
        Control, // a control byte no other row takes
    };
    Match match = Match::Key;
    QByteArray key;
    int from = -1;
    int to = -1;
    int at = -1; // the byte from and to test; -1: the one after the key
    QString name;        // "ESC a"
    QString syntax;      // "1B 61 n", for the help page
    QString description; // what it does, for the help page
    // The meaning of one entry of it, with its parameters: "justification: centre".
    QString (*words)(const TraceEntry &entry) = nullptr;
    // What its header so far says of its length (CommandLengths.h); none
    // for text and control bytes.
    Frame (*length)(const QByteArray &command) = nullptr;
    Family family = Family::None;
    QByteArray example; // one whole command, data and all
    bool listed = true; // on the help page and in the words

    Command &&reads(Frame (*rule)(const QByteArray &), Family part, const char *exampleHex) &&
    {
        length = rule;
        family = part;
        example = QByteArray::fromHex(exampleHex);
        return std::move(*this);
    }
};

// Every row, in the order of the help page.
const QList<Command> &table();
// The rows of the commands known by their length only (not listed).
const QList<Command> &skippedCommands();
// The row that words a known command, a text run or an ignored control byte;
// null for an unknown command.
const Command *find(const TraceEntry &entry);

// An entry's words: "ESC a"; "justification: centre"; "1B 61 01". A command
// longer than maxBytes shows its first bytes and its length:
// "1D 76 30 00 02 00 10 00 ... (40 bytes)".
QString name(const TraceEntry &entry);
QString meaning(const TraceEntry &entry);
QString hex(const TraceEntry &entry, int maxBytes = 8);
// One line of the simulator's --decode log: decimal offset, hex (up to 6
// bytes), name and meaning, in columns:
// "000123  1B 61 01                          ESC a     justification: centre".
QString logLine(const TraceEntry &entry);

// What the interpreter notes once for a command it drew nothing for, and the
// meaning of its entries: "unknown command 1B 7B".
QString unknownWords(const QByteArray &key);
// A parameter that chooses one of count values: 0, 1, 2 ... or the digits
// '0', '1', '2' ...; -1 for anything else (the printer ignores the command).
int smallChoice(quint8 n, int count);
// A byte as the mnemonics name it: "ESC", "GS", "US", "SP", "{", "7F".
QString byteName(quint8 byte);

// The help page's table of the commands the virtual printer understands:
// the HTML between the markers below in docs/MXCmd.htm.
QString htmlTable();
inline constexpr char kHtmlBegin[] = "<!-- begin: generated from src/printer/commands/PrinterCommands.cpp -->";
inline constexpr char kHtmlEnd[] = "<!-- end: generated from src/printer/commands/PrinterCommands.cpp -->";
// html with the part between the markers replaced by htmlTable(); false when
// the markers are missing.
bool replaceHtmlTable(QString *html);

} // namespace PrinterCommands
