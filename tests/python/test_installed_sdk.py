"""The SDK as an engineer who embeds the control gets it: installed into a
DESTDIR, the example host built against it through its CMake package and
through pkg-config, each build run against a simulated module."""
import os
import pathlib
import subprocess

import pytest

from conftest import BUILD, PORT

SOURCE = pathlib.Path(os.environ["TK28950_SOURCE_DIR"])
CMAKE = os.environ["TK28950_CMAKE_COMMAND"]


def run(command, **options):
    result = subprocess.run(command, capture_output=True, text=True, **options)
    assert result.returncode == 0, f"{command}\n{result.stdout}\n{result.stderr}"
    return result.stdout


@pytest.fixture(scope="module")
def installed(tmp_path_factory):
    root = tmp_path_factory.mktemp("destdir")
    run([CMAKE, "--install", BUILD, "--prefix", "/usr"], env=dict(os.environ, DESTDIR=str(root)))
    return root / "usr"


def build_with_cmake(prefix, folder):
    run([CMAKE, "-S", SOURCE / "examples/host", "-B", folder, f"-DCMAKE_PREFIX_PATH={prefix}"])
    run([CMAKE, "--build", folder])
    return folder / "tk28950-example-host"


def build_with_pkg_config(prefix, folder):
    (pc_file,) = prefix.glob("lib*/**/pkgconfig/tk28950.pc")
    env = dict(os.environ, PKG_CONFIG_PATH=str(pc_file.parent))
    flags = run(["pkg-config", "--cflags", "--libs", "tk28950"], env=env).split()
    # The file names the folders the SDK is installed to (/usr); staged in a
    # DESTDIR, the SDK's own lie under it, Qt's where they are.
    libdir, includedir = (
        run(["pkg-config", f"--variable={name}", "tk28950"], env=env).strip()
        for name in ("libdir", "includedir")
    )
    assert libdir == f"/usr/{pc_file.parent.parent.relative_to(prefix)}"
    assert includedir == "/usr/include"
    own_headers = f"-I{includedir}/tk28950"
    assert own_headers in flags
    staged_headers = f"-I{prefix.parent}{includedir}/tk28950"
    flags = [staged_headers if flag == own_headers else flag for flag in flags]
    flags.insert(0, f"-L{prefix.parent}{libdir}")
    folder.mkdir()
    program = folder / "tk28950-example-host"
    run(["c++", "-std=c++20", SOURCE / "examples/host/main.cpp", "-o", program, *flags])
    return program


@pytest.mark.parametrize("build", [build_with_cmake, build_with_pkg_config])
def test_example_host_built_against_the_installed_sdk(installed, build, simulator, tmp_path):
    assert not list(installed.glob("include/tk28950/*.cpp"))
    program = build(installed, tmp_path / "example")
    (library,) = installed.glob("lib*/**/libTK28950.so")
    registry = tmp_path / "registry.ini"
    run([installed / "bin/tk28950-regsvr", "--registry", registry, library])

    lines = run([program, str(PORT)], env=dict(os.environ, TK28950_REGISTRY=str(registry)))
    lines = lines.splitlines()
    assert lines[0] == "version: TK28950-V1.2.0.1"
    assert lines[1].startswith("SN: ")
    cells = [int(cell) for line in lines[2:18] for cell in line.split()]
    assert cells == list(range(256))
    assert lines[18].startswith("XReady: ")
