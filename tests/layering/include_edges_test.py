#!/usr/bin/env python3
"""Every #include of the program's sources stays inside the layer table
(layers.txt beside this file): no edge upward or sideways, no cycle, no Qt in
the standard-library layers. Tests may include any layer."""
import pathlib
import re
import sys

ROOT = pathlib.Path(__file__).resolve().parents[2]
INCLUDE = re.compile(rb'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def read_table(path):
    below, std_only = {}, set()
    for line in path.read_text().splitlines():
        fields = line.split('#', 1)[0].split()
        if not fields:
            continue
        folder, kind, *layers = fields + ([] if len(fields) > 1 else ['-'])
        below[folder] = layers
        if kind == 'std':
            std_only.add(folder)
    return below, std_only


def reach(below):
    """Each folder's layers and all theirs; a folder that reaches itself is a cycle."""
    reached = {}
    for folder in below:
        seen, todo = set(), list(below[folder])
        while todo:
            layer = todo.pop()
            if layer not in seen:
                seen.add(layer)
                todo.extend(below.get(layer, []))
        reached[folder] = seen
    return reached


def folder_of(path, folders):
    """The table's folder a source path lies in, the longest that matches."""
    text = path.as_posix()
    matches = [f for f in folders if text == f or text.startswith(f + '/')]
    return max(matches, key=len) if matches else None


def main():
    below, std_only = read_table(pathlib.Path(__file__).with_name('layers.txt'))
    reached = reach(below)
    faults = [f'{f}: the table makes a cycle through it' for f in below if f in reached[f]]
    faults += [f'{f}: names unknown layer {layer}' for f in below for layer in below[f] if layer not in below]
    sources = [p for p in ROOT.rglob('*') if p.suffix in ('.cpp', '.h') and p.is_file()]
    checked = 0
    for source in sorted(sources):
        relative = source.relative_to(ROOT)
        if relative.parts[0] in ('build', 'tests') or relative.parts[0].startswith('.'):
            continue
        folder = folder_of(relative, below)
        if folder is None:
            faults.append(f'{relative}: its folder is not in the layer table')
            continue
        checked += 1
        for bracket, name in INCLUDE.findall(source.read_bytes()):
            name = name.decode()
            if bracket == b'<':
                if folder in std_only and name.startswith('Q'):
                    faults.append(f'{relative}: includes <{name}> in a standard-library layer')
                continue
            if '..' in name.split('/'):
                faults.append(f'{relative}: includes "{name}" by a relative path')
                continue
            target = folder_of(pathlib.PurePosixPath(name), below)
            if target is None or not (ROOT / name).is_file():
                faults.append(f'{relative}: includes "{name}", no header of any layer')
            elif target != folder and target not in reached[folder]:
                faults.append(f'{relative}: includes "{name}" of {target}, not below {folder}')
    for fault in faults:
        print(fault)
    print(f'{checked} sources checked, {len(faults)} edges outside the table')
    return 1 if faults or checked == 0 else 0


if __name__ == '__main__':
    sys.exit(main())
