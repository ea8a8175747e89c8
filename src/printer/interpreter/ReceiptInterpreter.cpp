// The interpreter's interface over its parts (CommandRouter): power on, a
// fresh roll, the stream's end, and what a view asks between redraws.
#include "printer/interpreter/ReceiptInterpreter.h"

#include "printer/commands/PrinterCommands.h"
#include "printer/interpreter/CommandRouter.h"

#include <QLocale>

ReceiptInterpreter::ReceiptInterpreter()
    : d(std::make_unique<CommandRouter>())
{
}

ReceiptInterpreter::~ReceiptInterpreter() = default;

void ReceiptInterpreter::feed(const QByteArray &bytes)
{
    d->feed(bytes);
}

void ReceiptInterpreter::reset()
{
    d->offset = 0;
    d->context.at = 0;
    d->layout.resetFed();
    d->reader.reset(0);
    d->dropPartialCommand();
    d->initialize();
    clearPaper();
    d->context.notes.clear();
    d->context.said.clear();
    d->context.trace.stop();
}

void ReceiptInterpreter::clearPaper()
{
    d->layout.clearPaper(d->offset);
    d->context.unknown.clear();
    d->context.cutAtEdge.clear();
    if (d->context.trace.on())
        d->context.trace.clear(d->layout.open().number);
    d->context.touch();
}

void ReceiptInterpreter::resetPrinter()
{
    if (d->context.trace.on() && d->context.trace.making())
        d->endEntry(d->offset); // what came of the partial command is its entry
    d->dropPartialCommand();
    d->initialize();
    d->context.touch();
}

Receipt ReceiptInterpreter::finish()
{
    InterpreterContext &context = d->context;
    PaperLayout &layout = d->layout;
    if (context.trace.on() && context.trace.makingText())
        d->endEntry(d->offset);
    if (context.parse == InterpreterContext::Parse::Payload && context.payload == InterpreterContext::Payload::Raster)
        context.note(d->images.rasterCutShort());
    const Page &page = layout.page();
    if (page.active && (layout.line().hasContent() || !page.runs.isEmpty() || !page.images.isEmpty()))
        context.note(QStringLiteral("the stream ended in page mode: the page was never printed (FF), so it is not on the paper"));
    else if (layout.line().hasContent())
        layout.printLine(true, 1, d->offset, false);
    return layout.closeReceipt(CutKind::None, d->offset);
}

QString ReceiptInterpreter::waitingWords() const
{
    const CommandReader &reader = d->reader;
    const QByteArray &command = reader.command();
    if (!reader.waiting() || command.isEmpty())
        return {};
    const Frame frame = CommandSyntax::frame(command);
    TraceEntry entry;
    entry.kind = frame.drawn ? TraceEntry::Kind::Command : TraceEntry::Kind::Unknown;
    entry.bytes = command;
    entry.key = command.left(frame.key);
    const QString name = PrinterCommands::name(entry);
    if (reader.inHeader())
        return QStringLiteral("%1 waiting for the rest of the command").arg(name);
    const qint64 remaining = reader.remaining();
    const QString count = QLocale(QLocale::English).toString(remaining);
    const QString bytes = remaining == 1 ? QStringLiteral("byte") : QStringLiteral("bytes");
    if (reader.untilNul())
        return QStringLiteral("%1 waiting for its 00 (at most %2 more %3)").arg(name, count, bytes);
    return QStringLiteral("%1 waiting for %2 more %3").arg(name, count, bytes);
}

QStringList ReceiptInterpreter::takeNotes()
{
    QStringList notes;
    notes.swap(d->context.notes);
    return notes;
}

qint64 ReceiptInterpreter::offset() const { return d->offset; }
quint64 ReceiptInterpreter::revision() const { return d->context.revision; }
const std::deque<Receipt> &ReceiptInterpreter::finished() const { return d->layout.finished(); }
int ReceiptInterpreter::finishedTotal() const { return d->layout.finishedTotal(); }
const Receipt &ReceiptInterpreter::openReceipt() const { return d->layout.open(); }
Receipt ReceiptInterpreter::withPendingLine() const { return d->layout.withPendingLine(d->offset); }

void ReceiptInterpreter::setReceiptHandler(std::function<void(const Receipt &)> handler)
{
    d->layout.setReceiptHandler(std::move(handler));
}

void ReceiptInterpreter::setRetainLimit(int receipts) { d->layout.setRetainLimit(receipts); }
int ReceiptInterpreter::retainLimit() const { return d->layout.retainLimit(); }

void ReceiptInterpreter::setTraceEnabled(bool on) { d->context.trace.setEnabled(on, d->layout.open().number); }
const CommandTrace *ReceiptInterpreter::trace() const { return d->context.trace.trace(); }

void ReceiptInterpreter::setTraceHandler(std::function<void(const TraceEntry &)> handler)
{
    d->context.trace.setHandler(std::move(handler), d->layout.open().number);
}

void ReceiptInterpreter::setTraceBudget(qsizetype bytes) { d->context.trace.setBudget(bytes, d->layout.open().number); }
void ReceiptInterpreter::setPaperWidth(int dots) { d->layout.setPaperWidth(dots); }
int ReceiptInterpreter::paperWidth() const { return d->layout.paperWidth(); }
void ReceiptInterpreter::setTwoByteEncoding(TwoByteCode code) { d->characters.setEncoding(code); }
TwoByteCode ReceiptInterpreter::twoByteEncoding() const { return d->characters.encoding(); }

void ReceiptInterpreter::setEventHandler(std::function<void(const ReceiptEvent &, int)> handler)
{
    d->layout.setEventHandler(std::move(handler));
}

void ReceiptInterpreter::setRequestHandler(std::function<void(const QByteArray &)> handler)
{
    d->context.requestHandler = std::move(handler);
}

QByteArray ReceiptInterpreter::graphicsReply(const QByteArray &command) const { return d->graphics.reply(command); }
const NvGraphics &ReceiptInterpreter::nvGraphics() const { return d->graphics.nv(); }
void ReceiptInterpreter::setNvCapacity(qsizetype bytes) { d->graphics.nv().setCapacity(bytes); }
qint64 ReceiptInterpreter::paperFedDots() const { return d->layout.paperFedDots(); }
void ReceiptInterpreter::feedByButton(int dots) { d->layout.feedByButton(dots, d->offset); }
const QList<UnknownCommand> &ReceiptInterpreter::unknownCommands() const { return d->context.unknown; }
const QStringList &ReceiptInterpreter::cutAtEdge() const { return d->context.cutAtEdge; }
