#!/usr/bin/env python3
"""Products made of this machine's real files, kept whole, for the install benchmarks.

    products.py KIND DIR     KIND: many (1,660 files, about 50 MB), files10k (10,000 files
                             of the same kind) or large (60 files of about 1 MB)

Every product mixes text (40% of its bytes), programs and libraries (40%) and compressed
files (20%). "many" and "files10k" draw from one size distribution: files of at least a
common lower bound, chosen so that 1,660 files make 50 MB; so the two differ in their
number of files only, and their costs can be compared per file. Files with the same
contents are taken once (an installer that stores equal data once would gain otherwise).
The same machine gives the same product (a fixed seed).

Writes DIR/files/NAME (flat, names unique: the medium holds its files flat) and
DIR/layout.tsv, one line a file: NAME, the folder below the install directory it goes to,
its class. The folders hold at most 250 files each, as a real product's tree spreads them.
"""
import hashlib
import os
import random
import re
import shutil
import sys

MAX_SIZE = 4_000_000
SHARES = {"text": 0.4, "program": 0.4, "compressed": 0.2}
COMPRESSED = (".gz", ".xz", ".bz2", ".zip", ".jar", ".png", ".jpg")
BINARY = COMPRESSED + (".pyc", ".mo", ".so", ".a", ".o", ".dll", ".exe", ".bin", ".ttf", ".otf")
FOLDER_SIZE = 250


def walk(roots, keep):
    for root in roots:
        for folder, _, names in os.walk(root):
            for name in names:
                path = os.path.join(folder, name)
                if os.path.islink(path) or not keep(path, name):
                    continue
                try:
                    size = os.stat(path).st_size
                except OSError:
                    continue
                if 0 < size <= MAX_SIZE and os.access(path, os.R_OK):
                    yield path, size


def is_program(path, name):
    return name.endswith((".so", ".dll", ".exe", ".a")) or ".so." in name or (
        "/bin/" in path and os.access(path, os.X_OK))


def candidates():
    text = walk(["/usr/share/doc", "/usr/include", "/usr/share/perl5", "/usr/lib/python3"],
                lambda p, n: not n.endswith(BINARY) and ".so." not in n)
    program = walk(["/usr/bin", "/usr/lib/x86_64-linux-gnu", "/usr/lib/i386-linux-gnu/wine",
                    "/usr/i686-w64-mingw32/lib", "/usr/lib/gcc"], is_program)
    compressed = walk(["/usr/share", "/usr/lib"], lambda p, n: n.endswith(COMPRESSED))
    found = {"text": list(text), "program": list(program), "compressed": list(compressed)}
    seen = set()
    for kind in found:
        unique = []
        for path, size in sorted(found[kind]):
            with open(path, "rb") as f:
                digest = hashlib.sha1(f.read()).digest()
            if digest not in seen:
                seen.add(digest)
                unique.append((path, size))
        found[kind] = unique
    return found


def mean(files):
    return sum(size for _, size in files) / len(files)


def counts_for(found, lower, total):
    """Files per class so that the bytes follow SHARES, from files of at least `lower`."""
    weights = {k: SHARES[k] / mean([f for f in found[k] if f[1] >= lower]) for k in SHARES}
    scale = total / sum(weights.values())
    counts = {k: int(round(w * scale)) for k, w in weights.items()}
    counts["text"] += total - sum(counts.values())
    return counts


def lower_bound(found, files, bytes_wanted):
    """The least file size at which `files` files make `bytes_wanted` bytes, by bisection."""
    low, high = 1, 200_000
    while high - low > 16:
        middle = (low + high) // 2
        weights = sum(SHARES[k] / mean([f for f in found[k] if f[1] >= middle]) for k in SHARES)
        if files / weights < bytes_wanted:
            low = middle
        else:
            high = middle
    return high


def pick(kind):
    found = candidates()
    rng = random.Random(1660)
    chosen = []
    if kind == "large":
        per_class = {"text": 24, "program": 24, "compressed": 12}
        for k, n in per_class.items():
            pool = [f for f in found[k] if 700_000 <= f[1] <= 1_300_000]
            if len(pool) < n:  # few text files are that large: the largest there are
                pool = sorted(found[k], key=lambda f: -f[1])[: max(n, len(pool))]
            chosen += [(path, size, k) for path, size in rng.sample(pool, n)]
        return chosen
    lower = lower_bound(found, 1660, 50_000_000)
    total = 1660 if kind == "many" else 10_000
    for k, n in counts_for(found, lower, total).items():
        pool = [f for f in found[k] if f[1] >= lower]
        if len(pool) < n:
            sys.exit(f"this machine has {len(pool)} {k} files of {lower} bytes or more; {n} are needed")
        chosen += [(path, size, k) for path, size in rng.sample(pool, n)]
    return chosen


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("many", "files10k", "large"):
        sys.exit(__doc__)
    kind, out = sys.argv[1], sys.argv[2]
    shutil.rmtree(out, ignore_errors=True)
    os.makedirs(os.path.join(out, "files"))
    chosen = pick(kind)
    random.Random(7).shuffle(chosen)
    in_class = {k: 0 for k in SHARES}
    with open(os.path.join(out, "layout.tsv"), "w") as layout:
        for number, (path, size, k) in enumerate(chosen, 1):
            name = "%05d-%s" % (number, re.sub(r"[^A-Za-z0-9._+-]", "_", os.path.basename(path))[-40:])
            shutil.copyfile(path, os.path.join(out, "files", name))
            folder = "%s\\%02d" % (k, in_class[k] // FOLDER_SIZE + 1)
            in_class[k] += 1
            layout.write(f"{name}\t{folder}\t{k}\n")
    for k in SHARES:
        sizes = [size for _, size, c in chosen if c == k]
        print(f"{k}: {len(sizes)} files, {sum(sizes) / 1e6:.1f} MB", file=sys.stderr)
    print(f"{kind}: {len(chosen)} files, {sum(s for _, s, _ in chosen) / 1e6:.1f} MB", file=sys.stderr)


if __name__ == "__main__":
    main()
