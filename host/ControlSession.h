#pragma once
// One control on one module: the one road from a host to the module. It
// creates the control through the registry, opens its port, runs a request
// to the event that answers it and judges the answer, tries a request again
// after bringing the line back in step, reads and writes EEPROM cells, dumps
// and restores them, and notices a device that went away. Every host (the
// command-line tool, the Python module, programs built on the SDK) goes
// through it, so the same fault ends the same way in each.
//
// Answers carry nothing that ties them to their command: the module answers
// in order and the control pairs each answer with its oldest pending
// command. After a request that went wrong, its answer may still be on its
// way and would be taken for the answer to the next one, so the session
// brings the line back in step first: it asks the module's version, whose
// answer no other request can bring back, until that answer comes and the
// line then stays quiet, for at least the control's own command time (a
// stalled module answers all it owes, in order, once it goes on).
//
// The line has no checksum: a flipped digit looks like a good answer. So
// every cell of a dump and every property read is read until two reads
// agree (three on a line that has lately shown damage), and every property
// written is read back. Failures throw
// ControlError; nothing wrong is ever returned as a value.
#include "AnswerBound.h"
#include "AnswerWaiter.h"
#include "ControlClient.h"
#include "EarliestAnswer.h"
#include "ModuleLimits.h"
#include "RequestOutcome.h"

#include <QString>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>

// What the answer to a request must be: the event that carries it and the
// shape of its text.
struct Expectation {
    AnswerEvent event = AnswerEvent::DataReady;
    bool (*fits)(const QString&) = nullptr; // nullptr: any text
    QString description;                    // "a value from 0 to 255"
};

class ControlSession {
public:
    static constexpr int kCells = tk28950::kCells;
    // How often a request whose answer was lost or wrong is tried again.
    static constexpr int kDefaultRetries = 3;

    // Creates the control through the registry; when its class is not
    // registered and fallbackLibrary is given, from that library file.
    explicit ControlSession(const QString& fallbackLibrary = {});
    ~ControlSession();
    ControlSession(const ControlSession&) = delete;
    ControlSession& operator=(const ControlSession&) = delete;

    ControlClient& client() { return *m_client; }

    // Where the session tells what it does (a retry, a resynchronisation);
    // nothing is told without it.
    void setNotes(std::function<void(const QString&)> notes) { m_notes = std::move(notes); }

    // Opens the numbered port (InitModule); a device path is first given a
    // port number through the port map's environment variable. Throws when
    // the port does not open.
    void open(int port);
    void open(const QString& device);
    // The same without throwing: the empty text when the port is open, else
    // the control's reason.
    QString openPort(int port);
    bool isOpen() const { return m_port != 0; }
    // Brings the line in step now, as after a request that went wrong (a
    // host that finds the line used by another host before it calls this
    // after opening). Throws when the module never answers in step.
    void synchronise();

    // The bound one request waits for its answer: it learns the line's
    // round trips unless a host fixes it.
    int timeoutMs() const { return m_bound.ms(); }
    void setTimeoutMs(int timeoutMs) { m_bound.fix(timeoutMs); }
    bool timeoutFixed() const { return m_bound.isFixed(); }
    int retries() const { return m_retries; }
    void setRetries(int retries) { m_retries = retries; }
    // Whether dumps and property reads are confirmed by a second read.
    bool readsTwice() const { return m_readTwice; }
    void setReadsTwice(bool twice) { m_readTwice = twice; }

    // Calls method and waits for the event that answers it, which must meet
    // expected; what names the request in failures. A lost, damaged, refused
    // or wrongly shaped answer is tried again after bringing the line in
    // step, up to the retries.
    // Without an expectation any event is the answer (an ErrorComm is still
    // a damaged one).
    Answer request(component::DispId method, const QVector<component::Variant>& args = {},
                   const QString& what = {},
                   const std::optional<Expectation>& expected = std::nullopt);
    // The same, asked until two answers agree (once when reads are not
    // doubled): for a value that does not change between two requests.
    Answer requestConfirmed(component::DispId method, const QVector<component::Variant>& args,
                            const QString& what, const Expectation& expected);
    // The same tried once, taking any event as the answer: for requests that
    // must not be repeated (a raw command, a method whose effect is unknown).
    Answer exchange(component::DispId method, const QVector<component::Variant>& args,
                    const QString& what = {});
    // A call the control completes itself. A property read is confirmed by a
    // second read that agrees; a property written is read back and must hold
    // what was written; both are tried again when the module's answers do
    // not all come. A method call is made once. A read first waits for the
    // line to fall quiet when an answer may still be owed to writes or to an
    // earlier call the control completed itself.
    component::Variant invoke(component::InvokeKind kind, component::DispId dispid,
                              const QVector<component::Variant>& args = {},
                              const QString& what = {});

    // One reading of a channel, its text as the module sent it ("+01.250"),
    // read until two readings agree (once when reads are not doubled): a
    // flipped digit is not taken for the reading. A module that moves gives
    // readings that keep changing, which ends as Disagreeing; a stream of
    // readings asks for single ones.
    enum class Axis { X, Y };
    enum class Readings { Confirmed, Single };
    QString reading(Axis axis, const QString& what, Readings readings = Readings::Confirmed);
    // The module's temperature in tenths of a degree Centigrade, as it sent
    // it ("235"), read like a reading.
    QString temperatureTenths(const QString& what, Readings readings = Readings::Confirmed);
    // How often the session found signs that an answer it took may have
    // been an earlier request's: a line that came between two requests or
    // together with an answer, an answer of the wrong shape or a damaged
    // one, a resynchronisation that found answers still owed. One extra line
    // (an answer repeated late, one cut in two) puts every later answer on
    // the next request until one of these shows it. A refusal or a lost
    // answer after which the line is found in step does not count.
    qint64 timesFoundOutOfStep() const { return m_timesFoundOutOfStep; }

    // One cell, read once, or written with its acknowledgement checked.
    int readCell(int address);
    void writeCell(int address, int value);
    // One cell read until two reads agree (once when reads are not doubled).
    int readCellConfirmed(int address);
    // One cell that should hold expected (a verify): a read that agrees
    // with it confirms it, any other read is confirmed by reads that agree.
    int readCellExpecting(int address, int expected);

    // Called after each cell of a dump or restore with the count done so
    // far; it may throw to stop the transfer between two cells.
    using Progress = std::function<void(int cellsDone)>;

    // All cells, in order, each confirmed.
    QVector<int> dump(const Progress& progress = {});
    // Writes all cells from a list of exactly kCells values 0 to 255 (bad
    // input throws std::invalid_argument before anything is sent); with
    // verify, reads them all back and throws naming the cells that differ.
    void restore(const QVector<int>& cells, bool verify = true, const Progress& progress = {});

private:
    struct Attempt;
    template <typename Result>
    Result withRetries(const QString& what, int tries,
                       const std::function<Attempt(Result*)>& attempt);
    Answer ask(component::DispId method, const QVector<component::Variant>& args,
               const QString& what, const Expectation& expected, Readings readings);
    void checkForUnaskedLines();
    void settleOwedAnswers();
    qint64 holdOff(component::DispId method, qint64 sinceRequestUs, int boundMs);
    void suspectTheLine();
    int agreeingReads() const;
    void synchroniseAfter(const QString& what, const Attempt& failed);
    Attempt exchangeOnce(component::DispId method, const QVector<component::Variant>& args,
                         const Expectation* expected, Answer* answer);
    Attempt invokeOnce(component::InvokeKind kind, component::DispId dispid,
                       const QVector<component::Variant>& args, component::Variant* value);
    component::Variant readProperty(component::DispId dispid, const QString& what);
    void writeProperty(component::DispId dispid, const component::Variant& value,
                       const QString& what);
    int answerBoundOf(component::DispId method) const;
    void restartLink();
    void throwIfDisconnected(const QString& what);
    void note(const QString& text) const;
    [[noreturn]] void fail(const QString& what, RequestOutcome outcome,
                           const OutcomeDetail& detail = {});

    std::unique_ptr<ControlClient> m_client;
    std::unique_ptr<AnswerWaiter> m_waiter;
    std::function<void(const QString&)> m_notes;
    AnswerBound m_bound;
    EarliestAnswer m_earliest;
    int m_port = 0;
    int m_retries = kDefaultRetries;
    bool m_readTwice = true;
    bool m_outOfStep = false; // the next request must bring the line in step first
    qint64 m_timesFoundOutOfStep = 0;
    bool m_busy = false;            // a request is running (a nested call is refused)
    int m_eventsHeard = 0;          // the control's events when the last request ended
    qint64 m_requests = 0;          // tries made so far
    int m_unansweredTries = 0;      // tries of the running request that went unanswered
    qint64 m_suspectUntil = 0;      // reads are confirmed a third time until then
    bool m_answerMayBeOwed = false; // writes were acknowledged, or the control paired
                                    // answers itself, since the line was last quiet
    QString m_versionText;          // the module's answer to the version request
};
