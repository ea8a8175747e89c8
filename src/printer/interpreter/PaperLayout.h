// The paper layout: the line in progress and the print position, the open
// receipt and the finished ones, the receipts' memory budget and length cap,
// feeds, bands and cuts; and page mode, where lines go into a page printed
// whole (PageLayout.cpp, with the position commands). Not part of the
// interpreter's interface.
//
// Memory stays bounded whatever the input: an image keeps only what the
// printable width and the length cap let through (the rest of its bytes is
// read and dropped, so the stream stays in step), a receipt's elements have
// a budget, and only the last retainLimit() finished receipts are kept.
#pragma once

#include "printer/interpreter/InterpreterContext.h"

#include <deque>

class PaperLayout
{
public:
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

    explicit PaperLayout(InterpreterContext &context);

    Pending &line() { return m_line; }
    const Pending &line() const { return m_line; }
    const Page &page() const { return m_page; }
    bool pageMode() const { return m_page.active; }
    const Receipt &open() const { return m_open; }
    int y() const { return m_y; }
    qsizetype spent() const { return m_spent; }
    const std::deque<Receipt> &finished() const { return m_finished; }
    int finishedTotal() const { return m_finishedTotal; }
    qint64 paperFedDots() const { return m_fedBefore + m_y; }
    // The paper for the receipts to come; a begun receipt keeps its own.
    void setPaperWidth(int dots);
    int paperWidth() const { return m_paperWidth; }
    // The printable width of the paper being printed on: the open receipt's.
    int paperDots() const { return m_open.widthDots; }

    // The print buffer dropped and page mode ended, as ESC @ does.
    void initialize()
    {
        m_line = Pending();
        m_page = Page(); // its page unprinted
    }
    // A fresh roll at the given offset: no receipts, numbered from 1 again.
    void clearPaper(qint64 offset);
    // Power on: no paper fed yet.
    void resetFed() { m_fedBefore = 0; }
    void setReceiptHandler(std::function<void(const Receipt &)> handler) { m_handler = std::move(handler); }
    void setEventHandler(std::function<void(const ReceiptEvent &, int)> handler) { m_eventHandler = std::move(handler); }
    void setRetainLimit(int receipts);
    int retainLimit() const { return m_retain; }

    TextStyle currentStyle() const
    {
        TextStyle style = m_context.modes.style;
        style.emphasized = m_context.modes.emphasized || m_context.modes.doubleStrike;
        style.rotated = m_context.modes.rotated && !m_page.active; // page mode turns whole lines instead
        return style;
    }
    // The printable area as GS L and GS W leave it: on the paper, and never
    // narrower than Paper::kMinPrintableDots (a margin from random bytes must
    // not leave lines one character wide). In page mode, the page's width
    // along the print direction.
    int printableLeft() const
    {
        return m_page.active ? 0 : std::min(m_context.modes.leftMargin, paperDots() - Paper::kMinPrintableDots);
    }
    int printableWidth() const
    {
        return m_page.active ? pageWidth()
                             : std::clamp(m_context.modes.printWidth, Paper::kMinPrintableDots, paperDots() - printableLeft());
    }
    // Where a band of its own that is dotWidth wide starts, justified.
    int bandLeft(int dotWidth) const;

    void startLine();
    void putCharacter(quint8 byte, const TextStyle &style, int codePage, const ByteRange &source)
    {
        const char c = char(byte);
        putCharacter(&c, 1, style, {quint8(codePage), 0, TwoByteCode::None}, source);
    }
    void putCharacter(const char *bytes, int size, const TextStyle &style, const Reading &reading, const ByteRange &source);
    void tab();
    // LF, ESC d n (byLines) and ESC J n. byCommand: LF, ESC d, ESC J (and a
    // symbol's message) print it, and the trace gives them the line and the paper fed.
    void printLine(bool byLines, int amount, qint64 end, bool byCommand);
    void printPendingContent();
    void feedPaper(int dots, const ByteRange &source);
    // The feed button: not in page mode, where it does nothing.
    void feedByButton(int dots, qint64 offset);
    // Before something of the given height and memory goes on paper.
    void makeRoom(int dots, qsizetype cost);
    Receipt closeReceipt(CutKind kind, qint64 end);
    void cut(CutKind kind, int feedDots);
    // A band of its own at the print position: on the paper, or in the page.
    void placeBand(ReceiptLine line, qsizetype cost);
    // A beep or a drawer pulse on the open receipt.
    void event(ReceiptEvent::Kind kind, int drawer, bool realTime);
    // The open receipt and the line in progress, laid out as LF would print it.
    Receipt withPendingLine(qint64 offset) const;

    // page mode and positions (PageLayout.cpp)
    bool runPositionCommand(quint8 introducer, quint8 c);
    void finishTabStops();
    void cancelPage(qint64 end); // CAN
    void printPage(bool stay);    // FF and ESC FF

private:
    ReceiptLine layOut(const Pending &line, int y, int spacing) const;
    bool putMark(quint8 byte, const TextStyle &style, const Reading &reading, const ByteRange &source);
    void advance(int dots);
    void putBand(ReceiptLine line, qsizetype cost);
    void retained();

    void enterPageMode();
    void leavePageMode();
    void swapModeSpacing();
    // ESC W's print area within the paper being printed on (one set on wider
    // paper, or the default, which is the widest paper's).
    QRect pageArea() const;
    int pageWidth() const;  // along the print direction
    int pageHeight() const; // across it
    void pageLine(ReceiptLine line, int feed);
    void pageFeed(int dots);
    void pageSetVertical(int position);
    void setHorizontal(int position);

    InterpreterContext &m_context;
    Pending m_line;
    Page m_page;
    Receipt m_open;
    int m_y = 0;
    qsizetype m_spent = 0;
    std::deque<Receipt> m_finished;
    int m_finishedTotal = 0;
    int m_retain = ReceiptInterpreter::kDefaultRetain;
    qint64 m_fedBefore = 0; // paper of the receipts cut
    int m_paperWidth = Paper::kWidthDots; // for the receipts to come: setPaperWidth()
    std::function<void(const Receipt &)> m_handler;
    std::function<void(const ReceiptEvent &, int)> m_eventHandler;
};
