#pragma once
// A module object on the simulator's pseudo-terminal, opened through the
// serial port wrapper as the control opens it.
#include "Simulator.h"
#include "TestOwner.h"

#include <gtest/gtest.h>

class OnSimulator : public ::testing::Test {
protected:
    // Starts the simulator and opens its device; skips nothing: a simulator
    // that does not start fails the test.
    void Start(const QStringList& args = {}, const QByteArray& eeprom = {})
    {
        ASSERT_TRUE(sim.start(args, eeprom)) << sim.error().toStdString();
        ASSERT_TRUE(owner.Open(sim.device())) << owner.comm.ErrorText().toStdString();
    }
    CModule& m() { return owner.module; }
    int Cell(int address) const { return quint8(sim.eeprom().at(address)); }
    // Every byte the module was sent since the last call; a final "v" marks
    // the end, so that nothing sent before it can still be on its way (its
    // answer's event is taken back).
    QByteArray WireUpToNow()
    {
        const qsizetype events = owner.events.size();
        m().Version();
        EXPECT_TRUE(
            WaitUntil([&] { return sim.received().endsWith('v') && m().Pending().isEmpty(); }));
        QByteArray wire = sim.received();
        wire.chop(1);
        sim.clearTrace();
        owner.events.resize(events);
        return wire;
    }
    static QByteArray Cells(std::initializer_list<std::pair<int, int>> values)
    {
        QByteArray cells(256, '\0');
        for (const auto& [address, value] : values)
            cells[address] = char(value);
        return cells;
    }

    Simulator sim;
    TestOwner owner;
};
