#!/usr/bin/python3
"""What the demo run (scripts/run.sh) shows of the prefix's state.

A state is a folder holding registry exports (reg-*.txt: `wine reg export`
output converted to UTF-8) and files.txt (one line per file or folder:
"TYPE SIZE PATH", as scripts/demo/demo.sh lists them).

  state.py diff BEFORE AFTER         the keys, values and files added,
                                     removed and changed, readably
  state.py value STATE KEY NAME      one value's data (a string unquoted)
  state.py check CLEAN SETUP AFTER [EXPLAINED...]
                                     exits 0 when AFTER is CLEAN again and
                                     every extension that setup took over
                                     is back as it was in CLEAN; files and
                                     folders named EXPLAINED (whose reason
                                     the caller has printed) are listed but
                                     do not count
"""
import glob
import os
import re
import sys

ROOTS = [
    ("HKEY_CLASSES_ROOT", "HKCR"),
    ("HKEY_CURRENT_USER", "HKCU"),
    ("HKEY_LOCAL_MACHINE", "HKLM"),
]
# The run of keys that one fold may show as a single line.
FOLD_MIN = 4


def short_key(key):
    for long_name, short in ROOTS:
        if key == long_name or key.startswith(long_name + "\\"):
            return short + key[len(long_name):]
    return key


def unescape(text):
    return re.sub(r'\\(.)', r'\1', text)


def readable(data):
    """A value's data as a person reads it."""
    if data.startswith('"') and data.endswith('"'):
        return '"%s"' % unescape(data[1:-1])
    if data.startswith("dword:"):
        return "%d (dword)" % int(data[6:], 16)
    match = re.match(r"hex(\((\w+)\))?:(.*)", data)
    if match:
        count = len([b for b in match.group(3).split(",") if b.strip()])
        kind = {None: "binary", "2": "expandable string", "7": "string list",
                "b": "qword", "0": "none"}.get(match.group(2), "type " + str(match.group(2)))
        return "%s, %d bytes" % (kind, count)
    return data


def parse_export(path):
    """{key: {value name: data}} of one export; "" names the default value."""
    keys = {}
    current = None
    with open(path, encoding="utf-8", errors="replace") as f:
        lines = f.read().splitlines()
    i = 0
    while i < len(lines):
        line = lines[i].lstrip("\ufeff")
        i += 1
        # A long value goes on over lines that end with a backslash.
        while line.endswith("\\") and not line.endswith('\\\\"') and i < len(lines) and \
                not line.startswith("["):
            line = line[:-1] + lines[i].strip()
            i += 1
        if line.startswith("[") and line.endswith("]"):
            current = line[1:-1]
            keys.setdefault(current, {})
        elif current is not None and (line.startswith('"') or line.startswith("@=")):
            if line.startswith("@="):
                name, data = "", line[2:]
            else:
                match = re.match(r'"((?:[^"\\]|\\.)*)"=(.*)', line)
                if not match:
                    continue
                name, data = unescape(match.group(1)), match.group(2)
            keys[current][name] = data
    return keys


def load_registry(folder):
    keys = {}
    for path in sorted(glob.glob(os.path.join(folder, "reg-*.txt"))):
        keys.update(parse_export(path))
    return keys


def load_files(folder):
    files = {}
    path = os.path.join(folder, "files.txt")
    if os.path.exists(path):
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                kind, size, name = line.rstrip("\n").split(" ", 2)
                files[name] = (kind, int(size))
    return files


def value_name(name):
    return "(default)" if name == "" else name


def values_text(values):
    return "; ".join("%s = %s" % (value_name(n), readable(d)) for n, d in sorted(values.items()))


def leaf_names(keys):
    """The last parts of keys, runs that differ only in digits as "a ... b"."""
    leaves = [k.rpartition("\\")[2] for k in keys]
    out, i = [], 0
    while i < len(leaves):
        j = i
        pattern = re.sub(r"\d+", "#", leaves[i])
        while j + 1 < len(leaves) and re.sub(r"\d+", "#", leaves[j + 1]) == pattern:
            j += 1
        out.append(leaves[i] if j - i < 2 else "%s ... %s" % (leaves[i], leaves[j]))
        i = j + 1
    return " ".join(out)


def print_added(keys, registry):
    """Added keys with their values; keys alike (one parent, the same
    values) on one line."""
    groups = {}
    for key in keys:
        if registry[key]:
            parent = key.rpartition("\\")[0]
            groups.setdefault((parent, tuple(sorted(registry[key].items()))), []).append(key)
    shown = set()
    for key in keys:
        if key in shown:
            continue
        group = groups.get((key.rpartition("\\")[0], tuple(sorted(registry[key].items()))), [key])
        if len(group) >= FOLD_MIN:
            print("  + %s\\ %s (%d keys), each: %s" %
                  (short_key(key.rpartition("\\")[0]), leaf_names(group), len(group),
                   values_text(registry[key])))
            shown.update(group)
            continue
        shown.add(key)
        text = values_text(registry[key])
        if len(text) <= 100:
            print("  + %s%s" % (short_key(key), ": " + text if text else ""))
        else:
            print("  + %s" % short_key(key))
            for name, data in sorted(registry[key].items()):
                print("        %s = %s" % (value_name(name), readable(data)))


def print_removed(keys, registry):
    """Removed keys; a key removed with its subkeys on one line, and single
    keys alike (one parent, the same number of values) folded."""
    gone = set(keys)
    tops = [k for k in keys if k.rpartition("\\")[0] not in gone]
    below = {k: [b for b in keys if b.startswith(k + "\\")] for k in tops}
    groups = {}
    for key in tops:
        if not below[key]:
            groups.setdefault((key.rpartition("\\")[0], len(registry[key])), []).append(key)
    shown = set()
    for key in tops:
        if key in shown:
            continue
        values = sum(len(registry[k]) for k in [key] + below[key])
        counted = " (%d value%s)" % (values, "" if values == 1 else "s") if values else ""
        each = ", each with %d value%s" % (values, "" if values == 1 else "s") if values else ""
        group = groups.get((key.rpartition("\\")[0], len(registry[key])), [key])
        if not below[key] and len(group) >= FOLD_MIN:
            print("  - %s\\ %s (%d keys%s)" %
                  (short_key(key.rpartition("\\")[0]), leaf_names(group), len(group), each))
            shown.update(group)
            continue
        shown.add(key)
        print("  - %s%s%s" % (short_key(key),
                             " and %d subkey%s" % (len(below[key]), "" if len(below[key]) == 1 else "s")
                             if below[key] else "", counted))


def registry_changes(before, after):
    added = sorted(k for k in after if k not in before)
    removed = sorted(k for k in before if k not in after)
    changed = []
    for key in sorted(k for k in after if k in before and after[k] != before[k]):
        lines = []
        for name in sorted(set(before[key]) | set(after[key])):
            old, new = before[key].get(name), after[key].get(name)
            if old == new:
                continue
            if old is None:
                lines.append("+ %s = %s" % (value_name(name), readable(new)))
            elif new is None:
                lines.append("- %s (was %s)" % (value_name(name), readable(old)))
            else:
                lines.append("~ %s: %s -> %s" % (value_name(name), readable(old), readable(new)))
        changed.append((key, lines))
    return added, removed, changed


def file_changes(before, after):
    added = sorted(f for f in after if f not in before)
    removed = sorted(f for f in before if f not in after)
    changed = sorted(f for f in after if f in before and after[f] != before[f]
                     and after[f][0] != "d")
    return added, removed, changed


def describe_file(name, entry):
    kind, size = entry
    if kind == "d":
        return name + "\\ (folder)"
    if kind == "l":
        return name + " (link to elsewhere)"
    return "%s (%d bytes)" % (name, size)


def print_diff(before_dir, after_dir, skip=()):
    before, after = load_registry(before_dir), load_registry(after_dir)
    added, removed, changed = registry_changes(before, after)
    count = len(added) + len(removed) + len(changed)
    if count == 0:
        print("  registry: no change")
    if added:
        print("  registry keys added:")
        print_added(added, after)
    if removed:
        print("  registry keys removed:")
        print_removed(removed, before)
    if changed:
        print("  registry values changed:")
        for key, lines in changed:
            print("  ~ %s" % short_key(key))
            for line in lines:
                print("        " + line)
    fbefore, fafter = load_files(before_dir), load_files(after_dir)
    for name in skip:
        fafter.pop(name, None)
    fadded, fremoved, fchanged = file_changes(fbefore, fafter)
    if not (fadded or fremoved or fchanged):
        print("  files and links: no change")
    for sign, names, files in (("+", fadded, fafter), ("-", fremoved, fbefore), ("~", fchanged, fafter)):
        if names:
            print("  files and links %s:" % {"+": "made", "-": "deleted", "~": "changed"}[sign])
            for name in names:
                print("  %s %s" % (sign, describe_file(name, files[name])))


def extension_keys(registry):
    return {k for k in registry if re.match(r"HKEY_CLASSES_ROOT\\\.[^\\]+$", k)}


def taken_by_quillo(registry):
    return {k for k in extension_keys(registry)
            if registry[k].get("", "").strip('"') in ("Quillo", "Quillo.ZIP", "Quillo.REV")}


def subtree(registry, key):
    return {k: v for k, v in registry.items() if k == key or k.startswith(key + "\\")}


def check(clean_dir, setup_dir, after_dir, explained=()):
    clean, setup, after = (load_registry(d) for d in (clean_dir, setup_dir, after_dir))
    # Before Windows Me and 2000 setup writes the "New" menu's empty archive
    # as a "Data" value under the extension's ShellNew key; the removal
    # gives the previous owner's template back but leaves that value, on
    # purpose. It is reported, and does not count as Quillo remaining.
    kept_data = []
    for key, values in after.items():
        if key.lower().endswith("\\shellnew") and "Data" in values and \
                "Data" not in clean.get(key, {}):
            kept_data.append((key, values.pop("Data")))
    for key, data in kept_data:
        print("check: kept on purpose: %s \"Data\" = %s (the empty-archive template for the "
              "Explorer \"New\" menu that setup writes on the Windows 95 family)"
              % (short_key(key), readable(data)))
    added, removed, changed = registry_changes(clean, after)
    fclean, fafter = load_files(clean_dir), load_files(after_dir)
    fadded, fremoved, fchanged = file_changes(fclean, fafter)
    # "*\NAME" explains a file of that name anywhere.
    left = [f for f in fadded
            if f.rstrip("\\") in explained or "*\\" + f.rpartition("\\")[2] in explained]
    if left:
        print("check: left for the reason given above:")
        for name in left:
            print("    " + describe_file(name, fafter[name]))
        for name in left:
            del fafter[name]
        fadded = [f for f in fadded if f not in left]
    # Keys without a value left behind hold nothing that anything reads:
    # they are reported, and do not count as Quillo remaining.
    empty = [k for k in added if not after[k]]
    added = [k for k in added if after[k]]
    remains = len(added) + len(removed) + len(changed) + len(fadded) + len(fremoved) + len(fchanged)

    # Every extension that setup gave to Quillo, and whether it is as before.
    taken = sorted(taken_by_quillo(setup))
    owned = [k for k in taken if k in clean]
    not_back = [k for k in taken if subtree(after, k) != subtree(clean, k)]

    if remains:
        print("check: the prefix differs from its state before setup%s:" %
              (" in more than that" if left else ""))
        print_diff(clean_dir, after_dir, set(left))
    elif empty:
        print("check: %d registry key%s left that hold%s no value (the shell extension's handler "
              "keys under classes the shell shares lose only their value, and the keys above "
              "them stay):" % (len(empty), "s" if len(empty) != 1 else "", "" if len(empty) != 1 else "s"))
        for key in empty:
            print("    %s" % short_key(key))
    for key in owned:
        was = readable(clean[key].get("", '""'))
        now = readable(after[key].get("", '""')) if key in after else "(key gone)"
        print("check: %s belonged to %s before setup; after the uninstall: %s%s" %
              (short_key(key), was, now, "" if key not in not_back else "  <- NOT AS BEFORE (see the differences above)"))
    for key in not_back:
        if key not in owned:
            print("check: %s had no owner before setup, yet it is still there" % short_key(key))
    if not taken:
        print("check: setup associated no extension with Quillo")
    if remains or not_back:
        return 1
    print("check: OK: nothing of Quillo remains%s: no value in the registry trees, no file or "
          "link in the program folder, desktop, Start menu or temporary folder that was not there "
          "before setup; and all %d extensions that setup took over are as before: %d given back "
          "to their previous owner (%s), %d that had none removed again"
          % (" but " + " and ".join(
                 part for part, shown in (("the empty keys above", empty),
                                          ("the value kept on purpose", kept_data),
                                          ("the files left for the reason given above", left))
                 if shown) if (empty or kept_data or left) else "", len(taken), len(owned),
             ", ".join(short_key(k)[5:] for k in owned) or "none", len(taken) - len(owned)))
    return 0


def main(argv):
    if len(argv) == 4 and argv[1] == "diff":
        print_diff(argv[2], argv[3])
        return 0
    if len(argv) == 5 and argv[1] == "value":
        data = load_registry(argv[2]).get(argv[3], {}).get(argv[4])
        if data is None:
            return 1
        print(unescape(data[1:-1]) if data.startswith('"') else data)
        return 0
    if len(argv) >= 5 and argv[1] == "check":
        return check(argv[2], argv[3], argv[4], set(argv[5:]))
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
