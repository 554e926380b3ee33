"""Writes the Python module's type stub: the template with the control's
published methods and properties, read from its type library."""
import json
import sys

PYTHON_TYPES = {"text": "str", "boolean": "bool", "none": "None", "double": "float"}


def python_type(type_name):
    return PYTHON_TYPES.get(type_name, "int")


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
