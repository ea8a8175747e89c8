#pragma once

#include "printer/commands/CommandReader.h"
#include "printer/paper/CommandTrace.h"
#include "printer/interpreter/NvGraphics.h"
#include "printer/paper/Receipt.h"
#include "printer/interpreter/ReceiptModes.h"

#include <QByteArray>
#include <QList>
#include <QSet>
#include <QStringList>

#include <deque>
#include <functional>
#include <memory>

class SymbolEncoder;
struct Symbol;

// A command that the interpreter met and drew nothing for: its identifying
// bytes (the introducer and the command byte, and the function byte where
// one selects the command, as in 1D 28 4C), where it first came and how often.
struct UnknownCommand
{
    QByteArray bytes;
    ByteRange first;
    int count = 0;
};

// The virtual printer's paper side: bytes in, receipts out, the way a receipt
// printer of this class prints them.
//
// feed() takes the stream in chunks of any size, down to single bytes. The
// interpreter keeps every partial command between calls, so the receipts
// never depend on how the stream was split. Everything between two cuts is a
// receipt; the one being printed is open. The printer cuts by itself at
// 8000 dots (1 m), and when a receipt's drawing would pass its memory budget
// (a stream that prints over and over on the same spot).
//
// A live view feeds every byte as it goes out and, between redraws, asks:
//   revision()        grows whenever anything that can be drawn changed;
//   finished()        the last finished receipts, oldest first;
//   finishedTotal()   how many receipts were cut so far (the newest one's number);
//   openReceipt()     the receipt being printed, without the line in progress;
//   withPendingLine() the same plus the line in progress, laid out as LF would print it;
//   unknownCommands() the commands that nothing was drawn for.
// Every element of a receipt keeps the stream bytes that made it (absolute
// offsets; offset() is where the next fed byte will be).
//
// With the trace on (setTraceEnabled()), trace() also says what every command
// and text run was and where it drew: see CommandTrace. Off, it costs nothing.
//
// Memory stays bounded whatever the input: an image keeps only what the
// printable width and the length cap let through (the rest of its bytes is
// read and dropped, so the stream stays in step), a receipt's elements have
// a budget, and only the last retainLimit() finished receipts are kept.
class ReceiptInterpreter
{
public:
    static constexpr int kDefaultRetain = 50;
    // Elements of one receipt, counted as their memory: a full-length raster
    // image is 576 KiB, a page of text in single-character runs about 3 MiB.
    static constexpr qsizetype kReceiptBudget = 4 * 1024 * 1024;
    // Data of a barcode ended by 00: a longer one ends there.
    static constexpr int kMaxBarcodeData = 255;

    ReceiptInterpreter();
    ~ReceiptInterpreter();
    ReceiptInterpreter(const ReceiptInterpreter &) = delete;
    ReceiptInterpreter &operator=(const ReceiptInterpreter &) = delete;

    void feed(const QByteArray &bytes);

    // The end of the stream: prints the line in progress (as LF would, without
    // feeding further) and ends the open receipt uncut (CutKind::None), so
    // that nothing sent is lost. Returns it; it is blank when nothing was
    // printed since the last cut. Modes and partial commands stay.
    Receipt finish();

    // Power on: blank paper, every mode at its default, offsets from 0.
    void reset();
    // A view that starts a fresh roll: the receipts so far, finished and open,
    // and the unknown commands met go; the modes, a partial command and the
    // line still in progress stay, so what follows prints exactly as before.
    // Offsets go on; receipts are numbered from 1 again.
    void clearPaper();

    qint64 offset() const { return m_offset; }
    quint64 revision() const { return m_revision; }

    const std::deque<Receipt> &finished() const { return m_finished; }
    int finishedTotal() const { return m_finishedTotal; }
    const Receipt &openReceipt() const { return m_open; }
    Receipt withPendingLine() const;

    // Called with each receipt as it is cut, before it joins finished().
    void setReceiptHandler(std::function<void(const Receipt &)> handler) { m_handler = std::move(handler); }
    void setRetainLimit(int receipts);
    int retainLimit() const { return m_retain; }

    // The command trace: off by default. Turning it on starts with the next
    // command or text run; turning it off drops what it kept.
    void setTraceEnabled(bool on);
    const CommandTrace *trace() const { return m_trace.get(); }
    // Called with each trace entry as it is made, in stream order (the text
    // and column images of a line still in progress get their regions later).
    // Turns the trace on.
    void setTraceHandler(std::function<void(const TraceEntry &)> handler);
    // The memory the trace may keep (CommandTrace::kDefaultBudget); 0 keeps
    // nothing, for a handler that only logs. Turns the trace on.
    void setTraceBudget(qsizetype bytes);

    // The model's two-byte encoding (GB 18030 unless set): how FS & reads
    // pairs of bytes. Takes effect with the next pair; power on keeps it.
    void setTwoByteEncoding(TwoByteCode code);
    TwoByteCode twoByteEncoding() const { return m_encoding; }

    // The paper's printable width in dots: Paper::kWidthDots (80 mm, unless
    // set) or Paper::kNarrowWidthDots (58 mm); other widths are kept within
    // Paper::kMinPrintableDots and the widest. As a roll is changed between
    // receipts, it takes effect at once while the open receipt is blank and
    // no line is begun, else with the next receipt; each receipt keeps the
    // width it was printed on (Receipt::widthDots). Power on keeps it.
    void setPaperWidth(int dots);
    int paperWidth() const { return m_paperWidth; }

    // Beeps and drawer pulses as the printer meets them, with the number of
    // the receipt they came on; each is also kept in that receipt's events.
    void setEventHandler(std::function<void(const ReceiptEvent &, int receipt)> handler) { m_eventHandler = std::move(handler); }
    // Commands that ask the printer for an answer (GS r, GS I, GS a, and GS ( L
    // fn 30, 33 and 40 about the NV graphics), whole, in stream order as they
    // are printed. The interpreter answers none itself.
    void setRequestHandler(std::function<void(const QByteArray &command)> handler) { m_requestHandler = std::move(handler); }
    // The reply to a GS ( L request about the NV graphics, from what they
    // hold now: fn 30 the capacity ("7" "0" digits NUL), fn 33 what is left
    // ("7" "1" digits NUL), fn 40 the key codes ("7" "r" 40, key code pairs,
    // NUL; in blocks of 40 with 41 before every block but the last). Empty for
    // any other command.
    QByteArray graphicsReply(const QByteArray &command) const;

    // The printer's non-volatile graphics (GS ( L, FS q): kept through ESC @,
    // clearPaper() and reset() for as long as the interpreter lives.
    const NvGraphics &nvGraphics() const { return m_nv; }
    void setNvCapacity(qsizetype bytes) { m_nv.setCapacity(bytes); }
    // All the paper moved since reset(): the receipts cut and the open one so
    // far (a cleared view does not give paper back).
    qint64 paperFedDots() const { return m_fedBefore + m_y; }
    // The feed button: blank paper advances; what the print buffer holds
    // stays for the next line. Not in page mode, where the button does nothing.
    void feedByButton(int dots);

    const QList<UnknownCommand> &unknownCommands() const { return m_unknown; }
    // Symbols cut at the edge of the printable width since the last clearPaper(),
    // each worded once: "QR code 1224 dots wide, cut at 576: it will not scan".
    const QStringList &cutSymbols() const { return m_cutSymbols; }
    // The command whose bytes have not all come, in words ("GS * waiting for
    // 232,928 more bytes"); empty when none waits.
    QString waitingWords() const;
    // Power on without a new roll: every mode at its default, a partial
    // command and the line in progress dropped; the paper, its receipts and
    // offsets stay.
    void resetPrinter();
    // Log lines, each said once: an unknown command ("unknown command 1B 7B"),
    // a code page drawn as PC437, the first automatic cut, a parameter out of range.
    QStringList takeNotes();

private:
    void dropPartialCommand();
    void initialize();
    using Modes = PrinterModes;
    enum class Parse : quint8 { Text, Command, Payload };
    // What becomes of a command's data: read past, kept in m_data for the
    // command's family when it ends, or drawn as it comes.
    // Graphics: GS ( L and GS 8 L, whose parameters come first in their data.
    enum class Payload : quint8 { Skip, Keep, Raster, Column, Graphics };

    // The line being filled; left, width and justification are taken when
    // its first element arrives.
    struct Pending
    {
        bool started = false;
        int left = 0;
        int width = Paper::kWidthDots;
        int justify = 0;
        bool upsideDown = false;
        int x = 0; // from left
        QList<TextRun> runs;   // x relative to left, y unset
        QList<DotImage> images;
        qint64 begin = 0;
        bool hasContent() const { return !runs.isEmpty() || !images.isEmpty(); }
    };

    // A raster or column image on its way in.
    struct Image
    {
        int bytesPerUnit = 0; // per row (raster) or per column (column image)
        int units = 0;        // rows or columns
        int unit = 0;         // the one being received
        int byteInUnit = 0;
        int scaleX = 1;
        int scaleY = 1;
        int dotWidth = 0;     // what the printable width lets through
        int x = 0;            // absolute (raster) or from the line's left (column)
        int pieceRows = 0;    // source rows in the raster piece being filled
        int pieceRow = 0;
        QImage dots;
        QByteArray row;       // the kept bytes of the raster row being received
    };

    // stream (ReceiptInterpreter.cpp): the pieces of the one command reader,
    // each command handed whole to its family
    bool take(const CommandReader::Piece &piece);
    void textRun(const CommandReader::Piece &piece);
    void controlPiece(quint8 byte, qint64 at);
    void headerByte(quint8 byte, qint64 at);
    void commandHeader(const CommandReader::Piece &piece);
    void dataBytes(const CommandReader::Piece &piece);
    void runCommand(const Frame &frame);
    void beginCommandData(const Frame &frame);
    bool need(int length) const { return m_cmd.size() >= length; }
    void done();
    void unknown(const CommandReader::Piece &piece);
    void beginPayload(Payload kind);
    void payloadByte(quint8 byte);
    void finishPayload(bool more);
    void ignoredParameter();
    void note(const QString &line);
    void noteUnknown(const QByteArray &key);
    ByteRange commandRange() const { return {m_cmdStart, m_at + 1}; }
    TextStyle currentStyle() const;
    // A whole command of each family; false when it is not one of theirs.
    bool runTextCommand(quint8 introducer, quint8 c);   // ReceiptText.cpp: text, modes and paper
    bool runPrinterCommand(quint8 introducer, quint8 c); // ReceiptText.cpp: cuts, drawer, requests, macros
    bool runSymbolCommand(quint8 introducer, quint8 c);  // ReceiptSymbols.cpp
    bool runPositionCommand(quint8 introducer, quint8 c); // ReceiptPage.cpp: positions, tabs, page mode
    bool runGraphicsCommand(quint8 introducer, quint8 c); // ReceiptGraphics.cpp: FS q with no images, FS p
    // A command followed by data; false when it is not one of theirs.
    bool beginImageData(quint8 introducer, quint8 c);    // ReceiptImages.cpp
    bool beginSymbolData(quint8 introducer, quint8 c);   // ReceiptSymbols.cpp
    bool beginGraphicsData(quint8 introducer, quint8 c); // ReceiptGraphics.cpp
    bool beginKeptData(quint8 introducer, quint8 c);     // ReceiptPage.cpp: ESC D, ESC ( A
    // Kept data in: to the family whose command it is.
    void finishKeptData();
    void finishSymbolData();
    void finishTabStops();
    void event(ReceiptEvent::Kind kind, int drawer, bool realTime);
    void controlByte(quint8 byte, qint64 at);

    // 2D symbols (ReceiptSymbols2D.cpp): GS ( k other than the QR code
    void runSymbol2D(quint8 symbol, quint8 function);
    void printSymbol2D(quint8 symbol);
    void printModules(const Symbol &symbol, int moduleWidth, int rowUnit, DotImage::Kind kind, const char *name,
                      const QByteArray &data);

    // graphics (ReceiptGraphics.cpp)
    void graphicsByte(quint8 byte);
    void beginGraphicsImage();
    void finishGraphics();
    void printGraphic(const QImage &image, int scaleX, int scaleY, const ByteRange &source);

    // page mode (ReceiptPage.cpp)
    void enterPageMode();
    void leavePageMode();
    void swapModeSpacing();
    void printPage(bool stay);
    int pageWidth() const;   // along the print direction
    // ESC W's print area within the paper being printed on (one set on wider
    // paper, or the default, which is the widest paper's).
    QRect pageArea() const;
    int pageHeight() const;  // across it
    void pageLine(ReceiptLine line, int feed);
    void pageFeed(int dots);
    void pageBand(ReceiptLine line);
    void pageSetVertical(int position);
    void setHorizontal(int position);

    // characters (ReceiptCharacters.cpp): code pages, ESC R, two-byte characters
    bool runCharacterCommand(quint8 introducer, quint8 c);
    void text(quint8 byte, qint64 at);
    // A control byte ends a pair unfinished: its lead prints as the replacement mark.
    void endPair()
    {
        if (m_lead)
            lonePair();
    }
    void lonePair();
    void putPair(quint8 lead, quint8 trail, const ByteRange &source);
    // The encoding two-byte mode reads pairs with: the model's, or JIS where FS C chose it.
    TwoByteCode readingCode() const;
    // The encoding pairs are read with now; None while one byte is a character.
    TwoByteCode pairsRead() const;
    TextStyle twoByteStyle() const;
    void noteOnce(const QString &key, const QString &line);

    // layout (ReceiptLayout.cpp; symbols and images in theirs)
    void putCharacter(quint8 byte, const TextStyle &style, int codePage, const ByteRange &source)
    {
        const char c = char(byte);
        putCharacter(&c, 1, style, {quint8(codePage), 0, TwoByteCode::None}, source);
    }
    // How a character's bytes are read: the run it joins must read them alike.
    struct Reading
    {
        quint8 codePage = 0;
        quint8 international = 0;
        TwoByteCode twoByte = TwoByteCode::None;
    };
    void putCharacter(const char *bytes, int size, const TextStyle &style, const Reading &reading, const ByteRange &source);
    bool putMark(quint8 byte, const TextStyle &style, const Reading &reading, const ByteRange &source);
    void tab();
    void startLine();
    // byCommand: LF, ESC d, ESC J (and a symbol's message) print it, and the
    // trace gives them the line and the paper fed.
    void printLine(bool byLines, int amount, qint64 end, bool byCommand);
    void printPendingContent();
    void feedPaper(int dots, const ByteRange &source);
    void makeRoom(int dots, qsizetype cost);
    void advance(int dots);
    Receipt closeReceipt(CutKind kind, qint64 end);
    void cut(CutKind kind, int feedDots);
    // A band of its own at the print position: on the paper, or in the page.
    void placeBand(ReceiptLine line, qsizetype cost);
    void putBand(ReceiptLine line, qsizetype cost);
    void printTextLine(const QByteArray &latin1, const ByteRange &source);
    void printBarcode(int type, const QByteArray &data);
    void printQr();
    void beginRaster(int mode, int bytesPerRow, int rows);
    void rasterByte(quint8 byte);
    void commitRasterPiece();
    void beginColumnImage(int mode, int columns);
    void columnByte(quint8 byte);
    void finishColumnImage();
    void touch() { ++m_revision; }

    // tracing (ReceiptTracing.cpp): called only while the trace is on, but
    // traceByte(), which is cheaper than the test
    enum class Making : quint8 { None, Text, Command };
    void traceCharacter(quint8 byte, qint64 at, const TextStyle &style, const Reading &reading)
    {
        if (m_making != Making::Text)
            traceTextStart(at, style, reading);
        if (m_traceSize < TraceEntry::kKeptText)
            m_traceBuffer[m_traceSize++] = char(byte);
    }
    void traceTextStart(qint64 at, const TextStyle &style, const Reading &reading);
    void traceCommandStart(qint64 at);
    void traceBytes(const char *bytes, qsizetype count);
    // A byte of the command being made; most of a long payload goes unkept.
    void traceByte(quint8 byte)
    {
        if (!m_traceTaking)
            return;
        m_traceBuffer[m_traceSize++] = char(byte);
        m_traceTaking = m_traceSize < TraceEntry::kKeptBytes;
    }
    void traceUnknown(const QByteArray &key);
    void traceEnd(qint64 end);
    // What the entry being made drew.
    void traceRegion(const QRect &dots);
    // Where the text and column images of a printed line went.
    void traceLine(const ReceiptLine &line);
    void traceBand(const ReceiptLine &line);
    void traceRetained();
    // The printable width of the paper being printed on: the open receipt's.
    int paperDots() const { return m_open.widthDots; }
    // The printable area as GS L and GS W leave it: on the paper, and never
    // narrower than Paper::kMinPrintableDots (a margin from random bytes must
    // not leave lines one character wide). In page mode, the page's width
    // along the print direction.
    int printableLeft() const
    {
        return m_page.active ? 0 : std::min(m_modes.leftMargin, paperDots() - Paper::kMinPrintableDots);
    }
    int printableWidth() const
    {
        return m_page.active ? pageWidth()
                             : std::clamp(m_modes.printWidth, Paper::kMinPrintableDots, paperDots() - printableLeft());
    }
    // A symbol wider than the printable width is cut at its edge: said once, and kept for the view.
    void noteCutSymbol(const char *what, int dotWidth);
    // Where a band of its own that is dotWidth wide starts, justified.
    int bandLeft(int dotWidth) const;
    ReceiptLine layOut(const Pending &line, int y, int spacing) const;

    CommandReader m_reader;
    CommandReader::Handler m_take;
    qint64 m_offset = 0; // the reader's, between feeds
    qint64 m_at = 0; // offset of the byte being consumed
    quint64 m_revision = 0;
    Parse m_parse = Parse::Text;
    QByteArray m_cmd;
    qint64 m_cmdStart = 0;
    Payload m_payload = Payload::Skip;
    QByteArray m_data;
    int m_barcodeType = 0;

    Modes m_modes;
    TwoByteCode m_encoding = TwoByteCode::Gb18030;
    int m_paperWidth = Paper::kWidthDots; // for the receipts to come: setPaperWidth()
    quint8 m_lead = 0;   // the first byte of a two-byte character, waiting for its trail
    qint64 m_leadAt = 0;
    QByteArray m_qrData;
    SymbolStore m_stored; // the other symbols' data
    Pending m_line;
    Image m_image;
    GraphicsInput m_graphics;
    QImage m_bufferedGraphic; // GS ( L fn 70 and 71, printed by fn 32
    Page m_page;
    NvGraphics m_nv;
    qint64 m_bitImagesStart = -1; // the FS q whose images are being defined

    Receipt m_open;
    int m_y = 0;
    qsizetype m_spent = 0;
    std::deque<Receipt> m_finished;
    int m_finishedTotal = 0;
    int m_retain = kDefaultRetain;
    std::function<void(const Receipt &)> m_handler;
    std::function<void(const ReceiptEvent &, int)> m_eventHandler;
    std::function<void(const QByteArray &)> m_requestHandler;
    qint64 m_fedBefore = 0; // paper of the receipts cut

    QList<UnknownCommand> m_unknown;
    QStringList m_cutSymbols;
    QStringList m_notes;
    QSet<QString> m_said;
    std::unique_ptr<SymbolEncoder> m_symbols;

    std::unique_ptr<CommandTrace> m_trace;
    Making m_making = Making::None;
    TraceEntry m_entry; // the one being made
    // Its bytes so far: text comes a byte at a time, and the entry takes them at its end.
    char m_traceBuffer[TraceEntry::kKeptText];
    int m_traceSize = 0;
    bool m_traceTaking = false; // a command is being made and its bytes are still kept
};
