// Prints figures of the protocol engine on a real pseudo-terminal:
//  - processor time used by one wait that ends by the command time-out, started
//    from the top level and from inside a receive handler;
//  - latency from the last byte of an answer to the return of the wait,
//    against a far end that answers from a thread of its own;
//  - byte-intake throughput, for long and short answer lines and for bytes
//    nobody waits for.
#include "PtyPeer.h"
#include "TestOwner.h"

#include <QCoreApplication>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

double WallSeconds()
{
    return std::chrono::duration<double>(Clock::now().time_since_epoch()).count();
}

// Counts the reply codes instead of keeping them.
class CountingOwner : public TestOwner {
public:
    void HandleReplyCode(int code, const QString&) override
    {
        ++reported;
        completed += code == CModuleLink::kCompleted;
    }
    qint64 reported = 0;
    qint64 completed = 0;
};

void SilentWait(bool insideReceiveHandler)
{
    PtyPeer peer;
    CountingOwner owner;
    if (!owner.Open(peer.devicePath())) {
        std::printf("cannot open %s\n", qPrintable(peer.devicePath()));
        return;
    }
    double cpu = 0;
    double wall = 0;
    auto wait = [&] {
        const double cpu0 = CpuSeconds();
        const double wall0 = WallSeconds();
        owner.module.PotSetup();
        cpu = CpuSeconds() - cpu0;
        wall = WallSeconds() - wall0;
    };
    if (insideReceiveHandler) {
        // The answer to a first command arrives; its handler starts the wait.
        peer.setResponder([&](const QByteArray& chunk) -> QByteArray {
            return chunk == "v" ? "V1\r\n" : QByteArray();
        });
        QObject::connect(&owner.comm, &CMSComm::OnComm, [&] {
            if (wall == 0)
                wait();
        });
        owner.module.Version();
        WaitUntil([&] { return wall != 0; }, 10000);
    } else {
        wait();
    }
    std::printf("silent wait%s: %.3f s wall, %.2f ms processor time (timed out: %s)\n",
                insideReceiveHandler ? " inside a receive handler" : "", wall, cpu * 1e3,
                owner.TimedOut() ? "yes" : "no");
}

// Answers every cell read at once from a thread of its own and notes when
// each answer was written. The note is made before the write, so that the
// reader, which may take the answer the moment it is written, always finds it.
class AnsweringThread {
public:
    explicit AnsweringThread(int master) : m_master(master), m_thread([this] { Run(); }) {}
    ~AnsweringThread()
    {
        m_stop = true;
        m_thread.join();
    }
    double AnsweredAt(size_t i) const { return m_answeredAt[i]; }
    size_t Answers() const { return m_count; }

private:
    void Run()
    {
        char buffer[256];
        while (!m_stop) {
            pollfd fd{m_master, POLLIN, 0};
            if (poll(&fd, 1, 50) <= 0)
                continue;
            const ssize_t n = read(m_master, buffer, sizeof buffer);
            for (ssize_t i = 0; i < n; ++i) {
                if (buffer[i] != 'i')
                    continue;
                static const char answer[] = "123\r\n";
                m_answeredAt[m_count] = WallSeconds();
                m_count = m_count + 1;
                if (write(m_master, answer, sizeof answer - 1) < 0)
                    return;
            }
        }
    }

    int m_master;
    std::atomic<bool> m_stop{false};
    std::atomic<size_t> m_count{0};
    double m_answeredAt[4096] = {};
    std::thread m_thread;
};

void ReplyLatency(int reads)
{
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    grantpt(master);
    unlockpt(master);
    const QString device = QString::fromLocal8Bit(ptsname(master));
    CountingOwner owner;
    if (!owner.Open(device)) {
        std::printf("cannot open %s\n", qPrintable(device));
        return;
    }
    AnsweringThread far(master);
    std::vector<double> latencies;
    CModule& m = owner.module;
    for (int i = 0; i < reads; ++i) {
        m.Link().BeginRequest();
        m.Link().ClearReply();
        m.ReadEEPROM(QStringLiteral("5"));
        m.WaitForReply();
        const double returned = WallSeconds();
        m.Link().EndRequest();
        if (m.Reply() != QLatin1String("123") || far.Answers() != size_t(i + 1)) {
            std::printf("read %d went wrong: \"%s\"\n", i, qPrintable(m.Reply()));
            return;
        }
        latencies.push_back((returned - far.AnsweredAt(size_t(i))) * 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) { return latencies[size_t(q * double(latencies.size() - 1))]; };
    std::printf(
        "answer to return of the wait, %d reads: median %.0f us, 90%% %.0f us, max %.0f us\n",
        reads, at(0.5), at(0.9), latencies.back());
    close(master);
}

// Answer lines of length bytes (line end included), each taking a pending
// version request: long lines weigh the intake's byte handling, short ones
// what every line costs (pairing, finding its command's row, parsing).
void LineIntake(CModule& m, PtyPeer& peer, const CountingOwner& owner, int length, int batches)
{
    const QByteArray line = QByteArray(length - 2, 'A') + "\r\n";
    const QByteArray batch = line.repeated(CModuleLink::kMaxPending);
    const long long before = owner.completed;
    double busy = 0;
    for (int b = 0; b < batches; ++b) {
        for (int i = 0; i < CModuleLink::kMaxPending; ++i)
            m.Version();
        peer.received(); // keep the far end drained
        const double t0 = CpuSeconds();
        m.OnBytesReceived(batch);
        busy += CpuSeconds() - t0;
    }
    const double mb = double(batch.size()) * batches / 1e6;
    const long long lines = owner.completed - before;
    std::printf("byte intake, answer lines of %d bytes: %.1f MB/s, %.0f lines/s (%.1f MB, %lld "
                "lines)\n",
                length, mb / busy, double(lines) / busy, mb, lines);
}

void IntakeThroughput()
{
    PtyPeer peer;
    CountingOwner owner;
    if (!owner.Open(peer.devicePath()))
        return;
    CModule& m = owner.module;
    LineIntake(m, peer, owner, 1000, 256);
    LineIntake(m, peer, owner, 8, 2048);

    const QByteArray noise = QByteArray("12 34\x00\xB0\r\n", 10).repeated(100000);
    const double t0 = CpuSeconds();
    for (int i = 0; i < 16; ++i)
        m.OnBytesReceived(noise);
    const double dropped = CpuSeconds() - t0;
    std::printf("byte intake, bytes with nothing pending: %.1f MB/s (%.0f MB)\n",
                double(noise.size()) * 16 / 1e6 / dropped, double(noise.size()) * 16 / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    SilentWait(false);
    SilentWait(true);
    ReplyLatency(200);
    IntakeThroughput();
    return 0;
}
