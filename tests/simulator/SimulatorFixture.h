#pragma once

#include "HostPort.h"
#include "Simulator.h"

#include <gtest/gtest.h>

#include <memory>

// A running simulator with a host attached to its device.
class SimulatorFixture : public ::testing::Test {
protected:
    bool startWithHost(const QStringList& arguments = {}, const QByteArray& eeprom = {})
    {
        if (!simulator.start(arguments, eeprom)) {
            ADD_FAILURE() << "simulator did not start: " << qPrintable(simulator.error());
            return false;
        }
        host = std::make_unique<HostPort>(simulator.device());
        return host->isOpen();
    }

    Simulator simulator;
    std::unique_ptr<HostPort> host; // closed before the simulator stops
};
