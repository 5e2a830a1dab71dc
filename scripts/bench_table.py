"""Prints each benchmark figure beside its peer from one run of scripts/bench.sh.

A figure is `bench:benchmark` (its time per iteration) or `bench:benchmark@counter`.
Exits 1 when a benchmark ended in an error: that is a failure to explain, not
a figure to leave out.
"""
import json
import pathlib
import sys

# figure, peer, goal (the ratio it must stay under, or None)
PAIRS = [
    ("objc:BM_DirectCall", "objc:BM_DirectCall", None),
    ("objc:BM_VirtualCall", "objc:BM_DirectCall", None),
    ("objc:BM_CachedSend", "objc:BM_VirtualCall", 2.0),
    ("objc:BM_CachedSend", "objc:BM_GnuObjcSend", 1.0),
    ("objc:BM_UnhookedSend", "objc:BM_GnuObjcSend", 1.0),
    ("objc:BM_HookedSend", "objc:BM_GnuObjcSendHooked", 1.0),
    ("objc:BM_PolymorphicSend", "objc:BM_GnuObjcSendPolymorphic", 1.0),
    ("objc:BM_HookedSend", "objc:BM_UnhookedSend", 1.5),
    ("objc:BM_HookedSend", "objc:BM_VirtualCallChained", None),
    ("foundation:BM_DomainReadUnchanged", "foundation:BM_DomainFullParse", None),
    ("foundation:BM_DomainReadUnchanged", "foundation:BM_DomainReadAfterTouch", None),
    ("prefs:BM_LayoutWithRules", "prefs:BM_LayoutWithoutRules", 3.0),
    ("tweak:BM_HitTestHooked/1", "tweak:BM_HitTestUnhooked/1", None),
    ("notify:BM_NotifyPostToObserverMainThread@p50_us", "notify:BM_NotifyPostToObserverMainThread@floor_p50_us", 1.3),
    ("notify:BM_NotifyPostToObserverMainThread@p99_us", "notify:BM_NotifyPostToObserverMainThread@floor_p99_us", None),
    ("notify:BM_DBusSignalThroughDaemon@p50_us", "notify:BM_NotifyPostToObserverMainThread@p50_us", None),
    ("device:BM_ReloadPrefsToIndicator@p50_us", "device:BM_ReloadPrefsToIndicator@floor_p50_us", 3.5),
    ("device:BM_ReloadPrefsToIndicator@p99_us", "device:BM_ReloadPrefsToIndicator@floor_p99_us", None),
    # Where the time goes: each hop's first stamp after the post, against the floor.
    ("device:BM_ReloadPrefsToIndicator@deliver_p50_us", "device:BM_ReloadPrefsToIndicator@floor_p50_us", None),
    ("device:BM_ReloadPrefsToIndicator@load.start_p50_us", "device:BM_ReloadPrefsToIndicator@floor_p50_us", None),
    ("device:BM_ReloadPrefsToIndicator@load.end_p50_us", "device:BM_ReloadPrefsToIndicator@floor_p50_us", None),
    ("device:BM_ReloadPrefsToIndicator@refresh_p50_us", "device:BM_ReloadPrefsToIndicator@floor_p50_us", None),
    ("device:BM_ReloadPrefsToIndicator@hide_p50_us", "device:BM_ReloadPrefsToIndicator@floor_p50_us", None),
]


# figure, the absolute limit it must stay under (ns)
LIMITS = [
    ("foundation:BM_DomainReadUnchanged", 100.0),
    ("device:BM_ReloadPrefsToIndicator@p99_us", 1e6),
]


QUIET = 0.5  # the 1-minute load average under which a run counts as quiet


def load(folder):
    figures = {}
    errors = []
    for f in pathlib.Path(folder).glob("bench_*.json"):
        bench = f.stem[len("bench_"):]
        try:
            data = json.loads(f.read_text())
        except json.JSONDecodeError:
            continue
        for b in data.get("benchmarks", []):
            if b.get("error_occurred"):
                errors.append(f"{bench}:{b['name']}: {b.get('error_message', 'error')}")
                continue
            if b.get("run_type") == "aggregate":
                continue
            manual = "/manual_time" in b["name"]
            name = b["name"].replace("/manual_time", "").replace("/iterations:", "/it:")
            name = name.split("/it:")[0] if "/it:" in name else name
            unit = {"ns": 1, "us": 1e3, "ms": 1e6, "s": 1e9}[b.get("time_unit", "ns")]
            # CPU time for what runs on one thread: the machine may be shared,
            # and time spent descheduled is not the code's. Latencies across
            # processes are stamped by hand and reported as real time.
            figures[f"{bench}:{name}"] = (b["real_time" if manual else "cpu_time"] * unit, "ns")
            for k, v in b.items():
                if k.endswith("_us") and isinstance(v, (int, float)):
                    figures[f"{bench}:{name}@{k}"] = (v * 1e3, "ns")
    return figures, errors


def conditions(folder):
    """Each benchmark binary's load average before and after, and build type."""
    meta = {}
    for f in pathlib.Path(folder).glob("bench_*.meta"):
        try:
            meta[f.stem[len("bench_"):]] = json.loads(f.read_text())
        except json.JSONDecodeError:
            pass
    return meta


def quiet(meta, fig):
    m = meta.get(fig.split(":")[0])
    if not m:
        return "?"
    return "quiet" if max(m["load_before"], m["load_after"]) <= QUIET else "loaded"


def show(ns):
    if ns >= 1e6:
        return f"{ns / 1e6:.2f} ms"
    if ns >= 1e3:
        return f"{ns / 1e3:.2f} us"
    return f"{ns:.2f} ns"


def main():
    markdown = "--markdown" in sys.argv[1:]
    folder = [a for a in sys.argv[1:] if a != "--markdown"][0]
    figures, errors = load(folder)
    meta = conditions(folder)
    rows = [("figure", "value", "peer", "value", "ratio", "goal", "machine")]
    for fig, peer, goal in PAIRS:
        if fig not in figures or peer not in figures:
            continue
        a, b = figures[fig][0], figures[peer][0]
        ratio = a / b if b else float("nan")
        verdict = "" if goal is None else (f"< {goal:g}x " + ("met" if ratio < goal else "NOT met"))
        rows.append((fig, show(a), peer, show(b), f"{ratio:.2f}x", verdict, quiet(meta, fig)))
    for fig, limit in LIMITS:
        if fig in figures:
            a = figures[fig][0]
            rows.append((fig, show(a), "(absolute)", show(limit), "", "met" if a < limit else "NOT met",
                         quiet(meta, fig)))
    if markdown:
        print("| " + " | ".join(rows[0]) + " |")
        print("|" + "---|" * len(rows[0]))
        for r in rows[1:]:
            print("| " + " | ".join(c.replace("|", "\\|") for c in r) + " |")
    else:
        widths = [max(len(r[i]) for r in rows) for i in range(len(rows[0]))]
        for r in rows:
            print("  ".join(c.ljust(w) for c, w in zip(r, widths)).rstrip())
    print()
    for bench, m in sorted(meta.items()):
        line = f"{bench}: {m['build_type']} build, load average {m['load_before']} before, {m['load_after']} after"
        print(f"- {line}" if markdown else line)
    for e in errors:
        print(f"ERROR {e}", file=sys.stderr)
    if errors:
        sys.exit(1)


main()
