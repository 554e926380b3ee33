"""Writes the Python module's type stub: the template with the control's
published methods and properties, read from its type library."""
import json
import sys

# The Python type of each of the interface's value types (named as in
# runtime/ValueType.h), as the module's help() shows it too; the Python tests
# hold the stub to that help.
PYTHON_TYPES = {
    "none": "None",
    "boolean": "bool",
    "byte": "int",
    "short": "int",
    "long": "int",
    "double": "float",
    "text": "str",
}


def python_type(type_name):
    if type_name not in PYTHON_TYPES:
        sys.exit(f"make_stub.py: the type library names an unknown type {type_name!r}")
    return PYTHON_TYPES[type_name]


def dispatch_members(library):
    for interface in library["interfaces"]:
        if not interface.get("events", False):
            return interface["members"]
    return []


def member_lines(member):
    if member["kind"] == "property":
        return [f"    {member['name']}: {python_type(member.get('type', 'none'))}"]
    params = ["self"]
    for param in member.get("params", []):
        name, _, type_name = param.partition(":")
        params.append(f"{name}: {python_type(type_name or 'text')}")
    result = python_type(member.get("type", "none"))
    return [f"    def {member['name']}({', '.join(params)}) -> {result}: ..."]


def main(template_path, library_path, output_path):
    with open(library_path, encoding="utf-8") as file:
        members = dispatch_members(json.load(file))
    lines = [line for member in members for line in member_lines(member)]
    with open(template_path, encoding="utf-8") as file:
        stub = file.read().replace("@PUBLISHED_MEMBERS@", "\n".join(lines))
    with open(output_path, "w", encoding="utf-8") as file:
        file.write(stub)


if __name__ == "__main__":
    main(*sys.argv[1:])
