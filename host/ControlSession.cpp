#include "ControlSession.h"

#include "AnswerShape.h"
#include "ControlError.h"
#include "ControlTexts.h"
#include "DevicePort.h"
#include "LineResync.h"
#include "ModuleAnswers.h"
#include "QuotedInput.h"
#include "TK28950Dispids.h"

#include <stdexcept>

using component::DispId;
using component::InvokeKind;
using component::Variant;

namespace {

// How many times the version is asked for before the line counts as lost.
constexpr int kResynchroniseAttempts = 3;

QString cellName(int address)
{
    return QStringLiteral("cell %1").arg(address);
}

} // namespace

ControlSession::ControlSession() : m_client(std::make_unique<ControlClient>())
{
    if (!m_client->create(QString::fromLatin1(tk28950::kProgId),
                          QString::fromLatin1(tk28950::kControlClsid)))
        throw ControlError(
            QStringLiteral("cannot create the control %1: %2")
                .arg(QString::fromLatin1(tk28950::kProgId), m_client->createError()));
    m_waiter = std::make_unique<AnswerWaiter>(*m_client);
}

ControlSession::~ControlSession() = default;

void ControlSession::open(int port)
{
    openAs(port, QStringLiteral("port %1").arg(port));
}

void ControlSession::open(const QString& device)
{
    openAs(DevicePort::map(device), device);
}

void ControlSession::openAs(int port, const QString& description)
{
    const QString failure = m_client->openPort(port);
    if (!failure.isEmpty())
        throw ControlError(QStringLiteral("cannot open %1: %2").arg(description, failure));
    m_port = port;
    m_outOfStep = false;
    m_controlTimedOut = false;
}

Variant ControlSession::invoke(InvokeKind kind, DispId dispid, const QVector<Variant>& args)
{
    bringInStep();
    m_waiter->arm();
    const CallResult result = kind == InvokeKind::PropertyPut ? m_client->put(dispid, args.value(0))
                              : kind == InvokeKind::PropertyGet ? m_client->get(dispid)
                                                                : m_client->call(dispid, args);
    if (m_waiter->controlTimedOut() || result.text() == ControlTexts::kTimeOut) {
        m_controlTimedOut = true;
        fail(QStringLiteral("the module did not answer (%1)").arg(ControlTexts::kTimeOut));
    }
    if (!result.ok())
        throw ControlError(result.error);
    return result.value;
}

Answer ControlSession::request(DispId method, const QVector<Variant>& args)
{
    // Before InitModule the control sends nothing and some methods still
    // say "Ok": no answer would ever come.
    if (!isOpen())
        throw ControlError(QStringLiteral("no port is open"));
    bringInStep();
    m_waiter->arm();
    const CallResult sent = m_client->call(method, args);
    if (!sent.ok())
        throw ControlError(sent.error);
    if (sent.text() == ControlTexts::kNotInitialised)
        throw ControlError(sent.text());
    const std::optional<Answer> answer = m_waiter->wait(m_timeoutMs);
    if (!answer)
        fail(QStringLiteral("no answer within %1 ms").arg(m_timeoutMs));
    if (m_waiter->controlTimedOut()) {
        m_controlTimedOut = true;
        fail(QStringLiteral("the module did not answer (%1)").arg(ControlTexts::kTimeOut));
    }
    if (answer->event == AnswerEvent::ErrorComm)
        fail(answer->text.isEmpty() ? QStringLiteral("the module sent a line nobody asked for")
                                    : answer->text);
    return *answer;
}

int ControlSession::readCell(int address)
{
    const Answer answer = request(tk28950::dispid::ReadEEPROM, {QString::number(address)});
    const std::optional<int> value = AnswerShape::cellValue(answer.text);
    if (answer.event != AnswerEvent::DataReady || !value)
        fail(QStringLiteral("%1: the answer %2 is not a value from 0 to 255")
                 .arg(cellName(address), component::quotedInput(answer.text)));
    return *value;
}

void ControlSession::writeCell(int address, int value)
{
    const Answer answer =
        request(tk28950::dispid::WriteEEPROM, {QString::number(address), QString::number(value)});
    if (answer.event != AnswerEvent::DataReady || !ModuleAnswers::isWriteAcknowledged(answer.text))
        fail(QStringLiteral("%1: write of %2 not acknowledged, the answer was %3")
                 .arg(cellName(address))
                 .arg(value)
                 .arg(component::quotedInput(answer.text)));
}

QVector<int> ControlSession::dump(const Progress& progress)
{
    QVector<int> cells;
    cells.reserve(kCells);
    for (int address = 0; address < kCells; ++address) {
        cells.append(readCell(address));
        if (progress)
            progress(address + 1);
    }
    return cells;
}

void ControlSession::restore(const QVector<int>& cells, bool verify, const Progress& progress)
{
    if (cells.size() != kCells)
        throw std::invalid_argument("a restore takes exactly 256 cell values, got " +
                                    std::to_string(cells.size()));
    for (int address = 0; address < kCells; ++address)
        if (cells[address] < 0 || cells[address] > 255)
            throw std::invalid_argument("cell " + std::to_string(address) + ": " +
                                        std::to_string(cells[address]) +
                                        " is not a value from 0 to 255");
    for (int address = 0; address < kCells; ++address) {
        writeCell(address, cells[address]);
        if (progress)
            progress(address + 1);
    }
    if (!verify)
        return;
    const QVector<int> readBack =
        dump(progress ? [&](int done) { progress(kCells + done); } : Progress());
    QStringList differences;
    for (int address = 0; address < kCells; ++address)
        if (readBack[address] != cells[address])
            differences << QStringLiteral("cell %1 wrote %2, reads %3")
                               .arg(address)
                               .arg(cells[address])
                               .arg(readBack[address]);
    if (!differences.isEmpty())
        throw ControlError(QStringLiteral("verify failed: ") +
                           differences.join(QStringLiteral("; ")));
}

// After the control's command timer expired, every wait inside the control
// ends at once until InitModule is called again; after a request went wrong,
// its answer may still be on its way. Both are put right before the next call.
void ControlSession::bringInStep()
{
    if (m_controlTimedOut && isOpen()) {
        m_client->call(tk28950::dispid::InitModule, {QString::number(m_port)});
        m_controlTimedOut = false;
    }
    if (m_outOfStep && isOpen())
        resynchronise();
}

void ControlSession::resynchronise()
{
    LineResync::Steps steps;
    steps.emptyQueue = [this] {
        return m_client->call(tk28950::dispid::InitModule, {QString::number(m_port)}).ok();
    };
    const LineResync::Pace pace{m_timeoutMs, kResynchroniseAttempts, 0, m_timeoutMs};
    if (LineResync::run(*m_client, *m_waiter, pace, steps).version) {
        m_outOfStep = false;
        return;
    }
    throw ControlError(QStringLiteral("the module does not answer in step: no version answer "
                                      "after %1 requests")
                           .arg(kResynchroniseAttempts));
}

void ControlSession::fail(const QString& message)
{
    m_outOfStep = true;
    throw ControlError(message);
}
