// The byte intake and the reply parser, from an arbitrary pending queue.
// Input: a count byte, then two bytes per queued command (the command and
// the context entry queued after it, if any), then the received bytes.
// Whatever arrives, the parser only takes entries from the front of the
// queue (a command and its context, or all of them when the answer says the
// queue is void) and adds to its back only when it sends a command again.
#include "Property.h"
#include "link/CMSComm.h"
#include "link/ModuleOwner.h"
#include "module/CModule.h"
#include "resources/MessageTable.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

namespace {

class SilentOwner : public IModuleOwner {
public:
    bool StartCommandTimer(int) override { return true; }
    void StopCommandTimer() override {}
    bool CommandTimerActive() const override { return false; }
    bool EventsEnabled() const override { return true; }
    void SetEventsEnabled(bool) override {}
    bool TimedOut() const override { return false; }
    void ShowMessage(const QString&, const QString&) override {}
    void HandleReplyCode(int, const QString&) override {}
    void RaiseDataReady(const QString&) override {}
};

const QStringList& Entries()
{
    static const QStringList entries = [] {
        QStringList texts;
        for (int number : {Msg::CmdTemperature,
                           Msg::CmdCorrection,
                           Msg::CmdAngleOutput,
                           Msg::CmdDac,
                           Msg::CmdReset,
                           Msg::CommandMarker,
                           Msg::CmdVersion,
                           Msg::CmdEepromReset,
                           Msg::CmdXChannel,
                           Msg::CmdYChannel,
                           Msg::CmdSleep,
                           Msg::CmdPotSetup,
                           Msg::CmdSignal1On,
                           Msg::CmdSignal2On,
                           Msg::CmdSignal1Off,
                           Msg::CmdSignal2Off,
                           Msg::CmdReadSignals,
                           Msg::On,
                           Msg::Off,
                           Msg::Fahrenheit,
                           Msg::Centigrade})
            texts << LoadMessage(number);
        texts << LoadMessage(Msg::CmdEepromRead) + QStringLiteral("009")
              << LoadMessage(Msg::CmdEepromWrite) + QStringLiteral("013255")
              << LoadMessage(Msg::CmdEepromRead) << QStringLiteral("?");
        return texts;
    }();
    return entries;
}

bool IsKnownCode(int code)
{
    static constexpr std::array kCodes{
        CModuleLink::kCompleted, CModuleLink::kUnpaired, CModuleLink::kResent,
        CModuleLink::kXReading,  CModuleLink::kYReading, CModuleLink::kCommError,
        CModuleLink::kAccepted,  CModuleLink::kDropped,  CModuleLink::kSilent};
    return std::find(kCodes.begin(), kCodes.end(), code) != kCodes.end();
}

// How many entries were taken from the front of before to leave after, or -1
// when after is not what is left of before followed by new entries.
qsizetype TakenFromFront(const QStringList& before, const QStringList& after, bool mayAdd)
{
    for (qsizetype taken = 0; taken <= before.size(); ++taken) {
        const QStringList rest = before.mid(taken);
        if (after.mid(0, rest.size()) == rest && (mayAdd || after.size() == rest.size()))
            return taken;
    }
    return -1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    SilentOwner owner;
    CMSComm comm; // never opened: what is sent goes nowhere
    CModule module;
    module.SetComm(&comm);
    module.SetControl(&owner);
    module.SetInitialised(true);

    std::size_t at = 0;
    const int commands = size > 0 ? data[at++] % 12 : 0;
    const QStringList& entries = Entries();
    for (int i = 0; i < commands && at + 1 < size; ++i, at += 2) {
        const QString command = entries.at(data[at] % entries.size());
        const int context = data[at + 1] % (entries.size() + 1);
        module.Link().SendCommand(command, context == 0 ? QString() : entries.at(context - 1));
    }

    for (; at < size; ++at) {
        const QStringList before = module.Pending();
        const int code = module.ReceiveByte(data[at]);
        const QStringList after = module.Pending();
        Require(IsKnownCode(code), "the intake returns a known reply code");
        Require(after.size() <= CModuleLink::kMaxPending, "the pending queue stays bounded");
        Require(module.Reply().size() <= CModuleLink::kMaxLineBytes,
                "a reply is no longer than a line");
        if (code == CModuleLink::kAccepted || code == CModuleLink::kDropped) {
            Require(after == before, "a byte that completes no line leaves the queue alone");
            continue;
        }
        const qsizetype taken = TakenFromFront(before, after, code == CModuleLink::kResent);
        Require(taken >= 0, "the parser only takes from the front of the queue");
        Require(taken <= 2 || after.isEmpty(),
                "an answer takes its command and context, or voids the whole queue");
    }
    return 0;
}
