// The window's buttons and what each one does, as one table.
#include "ControlClient.h"
#include "FrmTK28950.h"
#include "TK28950Dispids.h"

#include <QPushButton>

namespace dispid = tk28950::dispid;
using component::Variant;
using Args = QVector<Variant>;
using Step = PropertyStep::Kind;

void FrmTK28950::wireButtons()
{
    // A call on TK28950A that shows only a refusal or failure.
    const auto call = [this](component::DispId id, const Args& args = {}) {
        return std::function<void()>([this, id, args] { callForButton(id, args); });
    };
    // The same, with arguments taken from the boxes at the time of the click.
    const auto callWith = [this](component::DispId id, std::function<Args()> args) {
        return std::function<void()>([this, id, args] { callForButton(id, args()); });
    };
    const auto steps = [this](const QVector<PropertyStep>& list) {
        return std::function<void()>([this, list] { m_steps.run(list); });
    };
    const auto text = [this](const char* box) { return Variant(textOf(box)); };
    const Variant yes(true);
    const Variant no(false);
    const Variant firstOption(std::uint8_t{0});

    const QVector<QPair<const char*, std::function<void()>>> buttons{
        {"CmdInitialize", [this] { CmdInitialize_Click(); }},
        {"Reset", call(dispid::ResetModule)},
        {"Version", call(dispid::Version)},
        {"cmdSN", [this] { cmdSN_Click(); }},
        {"Sleepon", call(dispid::Sleep, {yes})},
        {"sleepoff", call(dispid::Sleep, {no})},
        {"StrupEnCorrection", call(dispid::StupEnCorrection, {yes})},
        {"StrupDiCorrection", call(dispid::StupEnCorrection, {no})},
        {"StrupEnAngle", call(dispid::StupAngleOn, {yes})},
        {"StrupDiAngle", call(dispid::StupAngleOn, {no})},
        {"cmdSF", steps({{Step::PutInteger, "txtSFX", dispid::ScaleFactorX},
                         {Step::GetInteger, "txtSFX", dispid::ScaleFactorX},
                         {Step::PutInteger, "txtSFY", dispid::ScaleFactorY},
                         {Step::GetInteger, "txtSFY", dispid::ScaleFactorY}})},
        {"SetGlobalOff", steps({{Step::PutNumericText, "GlobalXoff", dispid::GlobalXOff},
                                {Step::GetInteger, "GlobalXoff", dispid::GlobalXOff},
                                {Step::PutNumericText, "GlobalYoff", dispid::GlobalYOff},
                                {Step::GetInteger, "GlobalYoff", dispid::GlobalYOff}})},
        // Each gain is set twice: as text, then as a number from what the
        // text read back left in the box.
        {"cmdSetGain", steps({{Step::PutText, "txtGainX", dispid::GainX},
                              {Step::PutText, "txtGainY", dispid::GainY},
                              {Step::GetText, "txtGainX", dispid::GainX},
                              {Step::GetText, "txtGainY", dispid::GainY},
                              {Step::PutNumericText, "txtGainX", dispid::AmpX},
                              {Step::GetInteger, "txtGainX", dispid::AmpX},
                              {Step::PutNumericText, "txtGainY", dispid::AmpY},
                              {Step::GetInteger, "txtGainY", dispid::AmpY}})},
        {"cmdZoomX", steps({{Step::PutInteger, "cmbZoom", dispid::ZoomX}})},
        {"cmdZoomY", steps({{Step::PutInteger, "cmbZoom", dispid::ZoomY}})},
        {"AngleOut", call(dispid::OutputAngle, {yes})},
        {"BinOut", call(dispid::OutputAngle, {no})},
        {"CorrectionOn", call(dispid::Correction, {yes})},
        {"CorrectionOff", call(dispid::Correction, {no})},
        {"ReadX", call(dispid::ReadXChan, {firstOption})},
        {"ReadY", call(dispid::ReadYChan, {firstOption})},
        {"ReadMem", callWith(dispid::ReadEEPROM, [text] { return Args{text("ReadAdd")}; })},
        {"WriteMem", callWith(dispid::WriteEEPROM,
                              [text] {
                                  return Args{text("WriteAdd"), text("Writevalue")};
                              })},
        {"ResetEE", call(dispid::ResetEEPROM)},
        {"EnEEPROM", call(dispid::EnResetEE, {yes})},
        {"DisEEPROM", call(dispid::EnResetEE, {no})},
        {"Temperature", call(dispid::ReadTemperature, {Variant("C")})},
        {"cmdEnbTemp", call(dispid::EnableTempCorr, {yes})},
        {"cmdDisTempCorr", call(dispid::EnableTempCorr, {no})},
        {"cmdTempOff", steps({{Step::PutText, "txtTempOff", dispid::TemperatureOffset},
                              {Step::GetText, "txtTempOff", dispid::TemperatureOffset}})},
        {"cmdUpdateTempCOrr", callWith(dispid::TemperatureCoef,
                                       [text] {
                                           return Args{text("txtAxis"), text("txtSlopeC"),
                                                       text("txtOffC"), text("txtSlopeH"),
                                                       text("txtOffH")};
                                       })},
        {"LoadCoefX",
         [this] {
             loadCoefficients(QStringLiteral("x"), QStringLiteral("Please enter file first."));
         }},
        {"cmdLoadYCoef",
         [this] {
             loadCoefficients(QStringLiteral("y"), QStringLiteral("Please enter file path first."));
         }},
        {"CmdSaveEEPROM", [this] { CmdSaveEEPROM_Click(); }},
        {"CmdWriteEEPROM", [this] { CmdWriteEEPROM_Click(); }},
    };
    // "Init" connects again; the transfers use TK28950B, which tells of a
    // lost device in their result.
    const QStringList ownConnection{"CmdInitialize", "CmdSaveEEPROM", "CmdWriteEEPROM"};
    for (const auto& [name, handler] : buttons) {
        const QString button = QString::fromUtf8(name);
        const std::function<void()> run =
            ownConnection.contains(button)
                ? handler
                : std::function<void()>([this, action = handler] { runUnlessDeviceLost(action); });
        connect(findChild<QPushButton*>(button), &QPushButton::clicked, this, run);
    }
}
