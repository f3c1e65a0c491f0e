#!/usr/bin/env python3
"""Runs vareko-e2e for two seconds at 60 Hz and checks that its output is
sane: the JSON is well formed and names the run, every datagram that changed
the page was matched to a frame, and each figure is present and plausible.
Timings are not judged here (they belong to scripts/bench)."""

import json
import subprocess
import sys
import tempfile
from pathlib import Path

FIGURES = ["latency_p50_ms", "latency_p99_ms", "latency_max_ms", "turns_per_s", "cpu_percent",
           "service_cpu_percent", "peak_rss_mib", "first_frame_ms", "matched", "unmatched", "socket_drops",
           "foreign_frames"]


def main(tool):
    with tempfile.TemporaryDirectory(prefix="vareko-e2e-check-") as tmp:
        out = Path(tmp) / "e2e.json"
        run = subprocess.run([tool, "--duration", "2", "--rate", "60", "--json", str(out)],
                             capture_output=True, text=True, timeout=100)
        print(run.stdout)
        print(run.stderr, file=sys.stderr)
        problems = []
        if run.returncode != 0:
            problems.append(f"exit status {run.returncode}")
        if "latency p99 (ms)" not in run.stdout:
            problems.append("no table on stdout")
        data = json.loads(out.read_text())
        runs = data["benchmarks"]
        if [r["name"] for r in runs] != ["EndToEnd/60Hz"]:
            problems.append(f"runs named {[r['name'] for r in runs]}")
        for r in runs:
            if r.get("error_occurred"):
                problems.append("error: " + r.get("error_message", "?"))
                continue
            missing = [f for f in FIGURES if not isinstance(r.get(f), (int, float))]
            if missing:
                problems.append(f"figures missing: {missing}")
                continue
            if r["matched"] < 60:
                problems.append(f"only {r['matched']} datagrams matched in 2 s at 60 Hz")
            if r["unmatched"] != 0:
                problems.append(f"{r['unmatched']} datagrams never shown")
            if not r["latency_p50_ms"] <= r["latency_p99_ms"] <= r["latency_max_ms"]:
                problems.append("percentiles out of order")
            if r["peak_rss_mib"] <= 0 or r["first_frame_ms"] <= 0 or r["turns_per_s"] <= 0:
                problems.append("a process figure is zero")
        for p in problems:
            print("check: " + p, file=sys.stderr)
        return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
