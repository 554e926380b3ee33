"""Fixtures of the Python module's tests: the control registered in a
registry of the test session's own, and simulated modules on
pseudo-terminals, as a test rig would have real ones."""
import os
import pathlib
import subprocess

import pytest

BUILD = pathlib.Path(os.environ["TK28950_BUILD_DIR"])
BIN = BUILD / "bin"
PORT = 7


class Simulator:
    """tk28950-sim as a child process, its EEPROM in a file of the test's own."""

    def __init__(self, folder, *args, cells=None):
        self.eeprom_path = folder / "eeprom.bin"
        if cells is not None:
            self.eeprom_path.write_bytes(bytes(cells))
        self.process = subprocess.Popen(
            [BIN / "tk28950-sim", "--eeprom", self.eeprom_path, *args],
            stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL,
            text=True,
        )
        self.device = self.process.stdout.readline().strip()
        assert self.device, "the simulator printed no device path"

    def eeprom(self):
        return list(self.eeprom_path.read_bytes())

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(10)
        self.process.stdout.close()


@pytest.fixture(scope="session", autouse=True)
def registry(tmp_path_factory):
    path = tmp_path_factory.mktemp("config") / "registry.ini"
    os.environ["TK28950_REGISTRY"] = str(path)
    subprocess.run([BIN / "tk28950-regsvr", BIN / "libTK28950.so"], check=True)
    return path


@pytest.fixture
def start_simulator(tmp_path):
    started = []

    def start(*args, cells=None):
        folder = tmp_path / f"sim{len(started)}"
        folder.mkdir()
        started.append(Simulator(folder, *args, cells=cells))
        return started[-1]

    yield start
    for simulator in started:
        simulator.stop()


@pytest.fixture
def simulator(start_simulator, monkeypatch):
    """A simulated module on port 7, every cell holding its own address."""
    sim = start_simulator(cells=range(256))
    monkeypatch.setenv(f"TK28950_PORT_{PORT}", sim.device)
    return sim


@pytest.fixture
def ctl(simulator):
    import tk28950

    with tk28950.Control() as control:
        control.init(PORT)
        yield control
