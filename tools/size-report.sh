#!/usr/bin/env bash
# Where the bytes of the shipped executable are: tools/size-report.sh <build folder> [top N]
# Reads the link map the build writes beside it (TallyvoLauncher.map) and prints the file's
# sections, the bytes each object or archive member brings, and the largest functions and data.
set -euo pipefail
build="${1:?usage: tools/size-report.sh <build folder> [top N]}"
top="${2:-25}"
exe="$build/bin/TallyvoLauncher.exe"
map="$build/TallyvoLauncher.map"
[ -f "$exe" ] && [ -f "$map" ] || { echo "size-report: $exe or $map missing (build first)" >&2; exit 1; }
[ "$map" -nt "$exe" ] || [ "$(stat -c %Y "$map")" = "$(stat -c %Y "$exe")" ] ||
  echo "size-report: warning: $map is older than $exe" >&2
filt=x86_64-w64-mingw32-c++filt
command -v "$filt" >/dev/null || filt=c++filt

echo "$exe: $(stat -c %s "$exe") bytes"
python3 - "$exe" "$map" "$top" "$filt" <<'PY'
import collections, re, struct, subprocess, sys
exe, path, top, filt = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]

# The sections' bytes in the file (raw size, rounded up to the file alignment) and in memory.
data = open(exe, "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
count = struct.unpack_from("<H", data, pe + 6)[0]
optional = struct.unpack_from("<H", data, pe + 20)[0]
table = pe + 24 + optional
for i in range(count):
    name, vsize, _, rawsize = struct.unpack_from("<8sIII", data, table + 40 * i)
    label = name.rstrip(b'\0').decode()
    print(f"  {label:8} file {rawsize:8}  memory {vsize:8}")

# Input sections of the map: " name addr size file", the name alone on its line when long.
# Symbol lines under one give the functions and data of a section that holds several.
line_re = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(.+)$")
symbol_re = re.compile(r"^\s+0x([0-9a-f]+)\s+(\S+)$")
output = None
pending = None
sections = []  # [output section, input name, address, size, file, [(address, symbol)]]
for raw in open(path, encoding="utf-8", errors="replace"):
    line = raw.rstrip("\n")
    if line.startswith("Linker script and memory map"):
        output = ""
        continue
    if output is None:
        continue
    head = re.match(r"^(\.\w+)\s+0x[0-9a-f]+\s+0x[0-9a-f]+", line) or re.match(r"^(\.\w+)$", line)
    if head:
        output = head.group(1)
        pending = None
        continue
    if re.match(r"^ \S+$", line) and not line.startswith(" *"):
        pending = line.strip()
        continue
    m = line_re.match(line)
    if m and not line.startswith(" *") and (m.group(1) or pending):
        name = m.group(1) or pending
        pending = None
        size = int(m.group(3), 16)
        if size and output:
            sections.append([output, name, int(m.group(2), 16), size, m.group(4).strip(), []])
        continue
    pending = None
    s = symbol_re.match(line)
    if s and sections and not s.group(2).startswith(("PROVIDE", ".")):
        sec = sections[-1]
        a = int(s.group(1), 16)
        if sec[2] <= a < sec[2] + sec[3]:
            sec[5].append((a, s.group(2)))

def short(file):
    file = re.sub(r"^.*/", "", file)
    return file

kept = {".text", ".rdata", ".data", ".rsrc", ".pdata", ".xdata", ".bss", ".tls", ".idata", ".CRT"}
by_object = collections.defaultdict(lambda: collections.Counter())
symbols = collections.Counter()
where = {}
for out, name, addr, size, file, syms in sections:
    if out not in kept:
        continue
    obj = short(file)
    by_object[obj][out] += size
    parts = re.split(r"[$.]", name.lstrip("."), maxsplit=1)
    own = parts[1] if len(parts) > 1 and parts[1] and parts[1] not in ("rdata", "text", "data") else ""
    if own.startswith(("rdata$", "refptr.")):
        own = own.split("$", 1)[-1]
    if own and not syms:
        key = (out, own)
        symbols[key] += size
        where[key] = obj
        continue
    syms = sorted(syms)
    if not syms:
        key = (out, f"[{name} of {obj}]")
        symbols[key] += size
        where[key] = obj
        continue
    if syms[0][0] > addr:
        key = (out, f"[{name} of {obj}, before {syms[0][1]}]")
        symbols[key] += syms[0][0] - addr
        where[key] = obj
    for i, (a, sym) in enumerate(syms):
        end = syms[i + 1][0] if i + 1 < len(syms) else addr + size
        key = (out, sym)
        symbols[key] += end - a
        where[key] = obj

totals = collections.Counter()
for counts in by_object.values():
    totals.update(counts)
order = [s for s in (".text", ".rdata", ".data", ".pdata", ".xdata", ".rsrc", ".bss") if totals[s]]
print()
print("by section, from the map: " + ", ".join(f"{s} {totals[s]}" for s in order))

def demangle(names):
    out = subprocess.run([filt], input="\n".join(names), capture_output=True, text=True).stdout.splitlines()
    return out if len(out) == len(names) else names

print()
print(f"top {top} objects (bytes; .rsrc is the resources)")
print(f"  {'total':>7} " + " ".join(f"{s:>7}" for s in order) + "  object")
rows = sorted(by_object.items(), key=lambda kv: -sum(kv[1][s] for s in order))
for obj, counts in rows[:top]:
    print(f"  {sum(counts[s] for s in order):7} " + " ".join(f"{counts[s]:7}" for s in order) + f"  {obj}")

if any(obj.endswith(".lto.o") or ".ltrans" in obj for obj in by_object):
    print("  (the layers' code is optimised at link time into one object: a build folder configured with")
    print("   -DTALLYVO_LTO=OFF names each object, at the sizes it has before that optimisation)")

# Archives as a whole: the libraries the objects come from.
libs = collections.Counter()
for obj, counts in by_object.items():
    lib = obj.split("(", 1)[0] if "(" in obj else "(objects)"
    libs[lib] += sum(counts[s] for s in order)
print()
print("by archive: " + ", ".join(f"{k} {v}" for k, v in libs.most_common()))

print()
print(f"top {top} functions and data (bytes, section, object)")
best = symbols.most_common(top)
names = demangle([k[1].lstrip("_") if k[1].startswith("__Z") else k[1] for k, _ in best])
for ((out, _), size), name, key in zip(best, names, [k for k, _ in best]):
    print(f"  {size:7} {out:6} {where[key]:32.32} {name[:110]}")
PY
