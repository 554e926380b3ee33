"""The Python module against simulated modules: what a test rig relies on."""
import threading
import time

import pytest
import tk28950

from conftest import BUILD, PORT

# Arguments for one call of every published method; the test below checks
# that this covers exactly what the control publishes.
METHOD_ARGUMENTS = {
    "AboutBox": (),
    "InitModule": (str(PORT),),
    "SendCMD": ("v",),
    "ReadTemperature": ("c",),
    "ResetModule": (),
    "Sleep": (False,),
    "Correction": (True,),
    "OutputAngle": (True,),
    "EnableDAC": (False,),
    "ResetEEPROM": (),
    "ReadXChan": (0,),
    "ReadYChan": (0,),
    "ReadEEPROM": ("9",),
    "WriteEEPROM": ("200", "17"),
    "StupAngleOn": (True,),
    "EnResetEE": (True,),
    "StupEnCorrection": (False,),
    "Version": (),
    "LoadCoef": ("x", "/nonexistent/coef.txt"),
    "RangeAvailable": (),
    "EnableTempCorr": (False,),
    "TemperatureCoef": ("x", "1", "2", "3", "4"),
}


def published(kind):
    return sorted(
        name
        for name, value in vars(tk28950.Control).items()
        if f"the control's {kind} {name} (dispid".lower() in (value.__doc__ or "").lower()
    )


# Methods that wait for the module: called first, while no answer of an
# asynchronous call is still on its way to take their commands' places.
WAITING = {"StupAngleOn", "EnResetEE", "StupEnCorrection", "EnableTempCorr", "TemperatureCoef"}


def test_every_published_method_answers_with_its_result_type(ctl):
    assert published("method") == sorted(METHOD_ARGUMENTS)
    for name, args in sorted(METHOD_ARGUMENTS.items(), key=lambda item: item[0] not in WAITING):
        result = getattr(ctl, name)(*args)
        assert result is None if name == "AboutBox" else isinstance(result, str), name
    assert ctl.RangeAvailable() == "170,180"
    assert ctl.InitModule(str(PORT)) == "OCX already initialized"


def test_answers_arrive_as_events_with_name_and_text(ctl):
    assert ctl.Version() == ""
    (event,) = list(ctl.events(timeout=0.5))
    assert (event.name, event.text, event.dispid) == ("DataReady", "TK28950-V1.2.0.1", 1)
    assert repr(event) == "Event(DataReady, 'TK28950-V1.2.0.1')"
    ctl.ReadXChan(0)
    assert next(iter(ctl.events(timeout=2.0))).name == "XReady"


def test_callbacks_see_events_and_their_exceptions_surface(ctl):
    seen = []
    ctl.connect(seen.append, "YReady")
    ctl.connect(lambda event: seen.append(event.name))
    assert ctl.request("ReadYChan", 0).name == "YReady"
    assert [getattr(e, "name", e) for e in seen] == ["YReady", "YReady"]
    ctl.disconnect(seen.append)

    def broken(event):
        raise LookupError(event.text)

    ctl.connect(broken)
    with pytest.raises(LookupError, match="TK28950-V1.2.0.1"):
        ctl.request("Version")
    with pytest.raises(ValueError):
        ctl.connect(print, "NoSuchEvent")


def test_request_gives_the_answering_event_and_helpers_keep_them(ctl):
    assert ctl.request("ReadEEPROM", 9).text == "9"
    assert ctl.read_cell(10) == 10
    assert list(ctl.events(timeout=0.2)) == []


@pytest.mark.parametrize(
    "name, value",
    [("SN", 250), ("SN", -3), ("GlobalXOff", -2), ("GlobalYOff", 513),
     ("Threshold1", 300), ("ScaleFactorY", 1234), ("TemperatureOffset", "2.5"),
     ("ModuleName", "Rig 4")],
)
def test_properties_round_trip(ctl, name, value):
    setattr(ctl, name, value)
    assert getattr(ctl, name) == value


def test_properties_convert_as_the_dispatch_interface_does(ctl, simulator):
    ctl.SN = "251"  # text converts to the property's short
    assert ctl.SN == 251
    ctl.GlobalXOff = 2.5  # rounds half to even
    assert ctl.GlobalXOff == 2
    assert ctl.PortError == ""
    with pytest.raises(AttributeError):
        ctl.PortError = "x"


def test_wrong_arguments_raise_before_anything_is_sent(ctl):
    with pytest.raises(tk28950.Error, match="type mismatch"):
        ctl.SN = "two hundred"
    with pytest.raises(tk28950.Error, match="overflow"):
        ctl.SN = 40000
    with pytest.raises(tk28950.Error, match="overflow"):
        ctl.ReadXChan(2**40)
    with pytest.raises(TypeError):
        ctl.ReadXChan([1])
    with pytest.raises(tk28950.Error, match="takes 1 argument"):
        ctl.ReadEEPROM()
    with pytest.raises(TypeError):
        ctl.init(1.5)
    with pytest.raises(tk28950.Error, match="no method"):
        ctl.request("NoSuchMethod")


def test_dump_and_restore_with_verify(ctl, simulator):
    assert ctl.dump_eeprom() == list(range(256))
    wanted = [(255 - cell) for cell in range(256)]
    ctl.restore_eeprom(wanted)
    assert simulator.eeprom() == wanted
    assert ctl.dump_eeprom() == wanted


def test_a_restore_refuses_bad_lists_before_writing(ctl, simulator):
    for cells in ([0] * 255, [0] * 255 + [256], [-1] + [0] * 255):
        with pytest.raises(ValueError):
            ctl.restore_eeprom(cells)
    assert simulator.eeprom() == list(range(256))


def test_a_write_the_module_refuses_fails_naming_the_cell(start_simulator, monkeypatch):
    sim = start_simulator("--error", "1", cells=range(256))
    monkeypatch.setenv("TK28950_PORT_8", sim.device)
    with tk28950.Control() as control:
        control.init(8)
        with pytest.raises(tk28950.Error, match="E"):
            control.restore_eeprom([0] * 256)
    assert sim.eeprom() == list(range(256))


def test_a_reading_is_two_agreeing_readings_and_a_moving_module_is_read_once(
    ctl, start_simulator, monkeypatch
):
    assert (ctl.reading("x"), ctl.reading("Y")) == (1.25, -0.5)
    with pytest.raises(ValueError):
        ctl.reading("z")
    sim = start_simulator("--tilt-noise", "0.05")
    monkeypatch.setenv("TK28950_PORT_6", sim.device)
    with tk28950.Control() as moving:
        moving.init(6)
        with pytest.raises(tk28950.Error, match="repeated reads disagree"):
            moving.reading("x")
    with tk28950.Control(single_read=True) as once:
        once.init(6)
        assert abs(once.reading("x") - 1.25) < 1


def test_the_registry_and_the_port_are_checked(simulator, monkeypatch, tmp_path):
    monkeypatch.setenv("TK28950_PORT_9", str(tmp_path / "no-such-device"))
    with tk28950.Control() as control:
        with pytest.raises(tk28950.Error, match="cannot open port 9"):
            control.init(9)
        with pytest.raises(tk28950.Error, match="no port is open"):
            control.read_cell(0)
        control.init(simulator.device)  # a device path goes through the port map
        assert control.read_cell(5) == 5
    monkeypatch.setenv("TK28950_REGISTRY", str(tmp_path / "empty.ini"))
    with pytest.raises(tk28950.Error, match="not registered"):
        tk28950.Control()


def test_close_releases_the_port(simulator):
    first = tk28950.Control()
    first.init(PORT)
    with tk28950.Control() as second:
        with pytest.raises(tk28950.Error):
            second.init(PORT)  # opening is exclusive
    first.close()
    assert first.closed
    with pytest.raises(tk28950.Error, match="closed"):
        first.Version()
    with tk28950.Control() as third:
        third.init(PORT)
        assert third.read_cell(1) == 1


def test_a_late_answer_is_never_taken_for_the_next_request(start_simulator, monkeypatch):
    sim = start_simulator("--late-ms", "400", cells=range(256))
    monkeypatch.setenv("TK28950_PORT_10", sim.device)
    with tk28950.Control(timeout=0.1) as control:
        control.init(10)
        # Which of the tries is last decides the reason: no answer in time,
        # or a late answer that took the place of a later request's.
        with pytest.raises(
            tk28950.Error, match="no answer within 100 ms|damaged or did not fit the request"
        ):
            control.read_cell(9)
        control.timeout = 2.0
        assert control.read_cell(10) == 10
        assert [control.read_cell(cell) for cell in range(11, 14)] == [11, 12, 13]


def test_an_unplugged_module_fails_the_call_without_hanging(start_simulator, monkeypatch):
    sim = start_simulator(cells=range(256))
    monkeypatch.setenv("TK28950_PORT_11", sim.device)
    with tk28950.Control(timeout=0.5) as control:
        control.init(11)
        assert control.read_cell(7) == 7
        sim.stop()
        started = time.monotonic()
        with pytest.raises(tk28950.Error):
            control.dump_eeprom()
        assert time.monotonic() - started < 10
    replug = start_simulator(cells=range(256))
    monkeypatch.setenv("TK28950_PORT_11", replug.device)
    with tk28950.Control() as control:
        control.init(11)
        assert control.read_cell(7) == 7


def test_other_threads_run_while_a_call_waits_on_the_line(start_simulator, monkeypatch):
    sim = start_simulator("--silent")
    monkeypatch.setenv("TK28950_PORT_12", sim.device)
    ticks = []
    stop = threading.Event()

    def count():
        while not stop.is_set():
            ticks.append(1)
            time.sleep(0.01)

    with tk28950.Control(timeout=0.5) as control:
        control.init(12)
        counter = threading.Thread(target=count)
        before = len(ticks)
        counter.start()
        with pytest.raises(tk28950.Error):
            control.read_cell(0)
        stop.set()
        counter.join()
        assert len(ticks) - before > 5
        errors = []
        thread = threading.Thread(target=lambda: errors.append(_call_error(control)))
        thread.start()
        thread.join()
        assert "thread that created it" in errors[0]


def _call_error(control):
    try:
        control.RangeAvailable()
    except tk28950.Error as error:
        return str(error)
    return ""


def test_help_lists_the_published_members():
    text = tk28950.Control.__doc__ + "".join(
        getattr(tk28950.Control, name).__doc__ for name in ("ReadEEPROM", "SN")
    )
    assert "ReadEEPROM(Address: str) -> str" in text
    assert "SN (int)" in text


def test_the_stub_gives_every_published_member_the_types_help_gives():
    """The stub is written at build time by make_stub.py, help() by the
    module: each names the Python type of every interface type itself."""
    stub = (BUILD / "python" / "tk28950.pyi").read_text(encoding="utf-8").splitlines()
    for name in published("method"):
        signature = getattr(tk28950.Control, name).__doc__.splitlines()[0]
        params, result = signature[len(name) + 1 :].split(") -> ")
        params = ", ".join(["self"] + ([params] if params else []))
        assert f"    def {name}({params}) -> {result}: ..." in stub, signature
    for name in published("property"):
        doc = getattr(tk28950.Control, name).__doc__
        type_name = doc[len(name) + 2 :].split(")")[0].split(",")[0]
        assert f"    {name}: {type_name}" in stub, doc
