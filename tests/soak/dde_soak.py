"""Drives a running viewer from several zorvo-dde clients at once.

Each client sends its own list of execute strings through one conversation
(zorvo-dde --each); a client whose answer was overdue (exit 3) or that could
not connect while the viewer was busy with another client's command goes on
with the rest of its list in a new conversation. Meanwhile a watcher
presses Cancel in "Printing File" once a job has run for a while, as a user
would, and notes every other window the viewer shows.

The driver times every answer from the one before it (the first from the
start of the client program), counts answers by kind and writes a report.
Exit status 1 when a client waited longer than its timeout allows, when
the viewer ended, or when an answer was not one zorvo-dde documents.
"""
import argparse
import collections
import random
import subprocess
import threading
import time

CODES = {0: "done", 1: "not processed", 2: "no server", 3: "timed out"}
# Past a client's timeout: zorvo-dde's own grace (0.25 s), the start of a
# Wine process and a busy machine.
STARTUP_ALLOWANCE = 5.0
ANSWER_ALLOWANCE = 1.0


def commands(rng, count, big_path):
    """COUNT execute strings: valid commands, malformed and random ones."""
    valid = [
        "[Display Text]", "[Display Hex]", "[Display Raw]", "[Display Wrap]",
        "[Display ZoomIn]", "[Display ZoomOut]", "[Display ZoomReset]",
        "[Display Bogus]", "[Window Restore]", "[Window Maximize]",
        '[Find "PAGE" Top]', '[Find "PAGE"]', '[Find "no such text here"]',
        '[Find "31 32" Hex All]', '[Find "line 0000" Case Top]',
        '[Find ""]', "[Setup Listing]", "[Print Other]",
        '[Open "%s"]' % big_path, "[Display Hex][Display Text]",
        '  [ find  "Page"  top ]  ', "[Unknown][Display Hex]",
    ]
    rare = ["[Print]", "[Print Tags]", "[Close]", "[Print Page]"]
    out = []
    for _ in range(count):
        roll = rng.random()
        if roll < 0.55:
            line = rng.choice(valid)
        elif roll < 0.57:  # print jobs, and the file closed now and then
            line = rng.choice(rare)
        elif roll < 0.72:  # random bytes, no line end
            data = bytes(rng.choice([b for b in range(256) if b not in (10, 13)])
                         for _ in range(rng.randint(1, 120)))
            line = data.decode("latin-1")
        elif roll < 0.82:  # longer than an execute string may be
            line = "[Find \"" + "x" * rng.randint(520, 3000) + "\"]"
        elif roll < 0.92:  # unterminated
            line = rng.choice(['[Find "abc', '[Open "Z:\\no such', "[Display Hex",
                               "[", '"', "[Print", '[Setup "Listing'])
        else:  # more than six parts, text after the last command
            line = rng.choice(["[Find a b c d e f g]", "[Display Hex] trailing",
                               "[Display Hex] [", "]]]", "[[Display Hex]]"])
        out.append(line)
    return out


class Client(threading.Thread):
    def __init__(self, index, lines, timeout_ms, args, stats):
        super().__init__(daemon=True)
        self.index, self.lines, self.timeout_ms = index, lines, timeout_ms
        self.args, self.stats = args, stats
        self.failures = []

    def run(self):
        pending = list(self.lines)
        conversations = 0
        refused_in_a_row = 0
        while pending:
            conversations += 1
            path = "client%d-%d.txt" % (self.index, conversations)
            with open(path, "w", encoding="utf-8", newline="\n") as f:
                f.write("\n".join(pending) + "\n")
            start = time.monotonic()
            proc = subprocess.Popen(
                [self.args.wine_run, self.args.dde_exe, "--timeout", str(self.timeout_ms),
                 "--each", path],
                stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            errors = []
            reader = threading.Thread(target=lambda: errors.extend(proc.stderr), daemon=True)
            reader.start()
            last = start
            answered = 0
            for raw in proc.stdout:
                now = time.monotonic()
                text = raw.decode("ascii", "replace").strip()
                wait = now - last
                limit = self.timeout_ms / 1000.0 + (STARTUP_ALLOWANCE if answered == 0
                                                     else ANSWER_ALLOWANCE)
                last = now
                if not text.isdigit() or int(text) not in CODES:
                    self.failures.append("client %d: answer %r" % (self.index, text))
                    continue
                code = int(text)
                with self.stats.lock:
                    self.stats.kinds[code] += 1
                    self.stats.by_client[self.index][code] += 1
                    key = "first" if answered == 0 else "next"
                    self.stats.longest[key] = max(self.stats.longest[key], wait)
                if wait > limit:
                    self.failures.append("client %d: an answer took %.1f s (timeout %d ms)"
                                         % (self.index, wait, self.timeout_ms))
                answered += 1
            proc.wait()
            reader.join()
            with self.stats.lock:
                for line in errors:
                    message = line.decode("utf-8", "replace").strip()
                    self.stats.messages[message.replace("zorvo-dde: ", "")] += 1
            # An answer "no server" ends the run; so does a timeout.
            pending = pending[answered:] if answered else pending
            if answered == 0:
                refused_in_a_row += 1
                if refused_in_a_row > 600:
                    self.failures.append("client %d: never connected again" % self.index)
                    return
                time.sleep(0.05)  # the viewer carries out another client's command
            else:
                refused_in_a_row = 0
        with self.stats.lock:
            self.stats.conversations[self.index] = conversations


class Stats:
    def __init__(self, clients):
        self.lock = threading.Lock()
        self.kinds = collections.Counter()
        self.by_client = [collections.Counter() for _ in range(clients)]
        self.messages = collections.Counter()
        self.longest = {"first": 0.0, "next": 0.0}
        self.conversations = [0] * clients
        self.cancelled = 0
        self.windows = collections.Counter()


def xdotool(*args):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True)
    return result.stdout.split() if result.returncode == 0 else []


def watch_windows(viewer_pid, main_window, stop, stats, cancel_after, report_base):
    """Cancels print jobs that ran CANCEL_AFTER seconds; notes other windows."""
    first_seen = {}
    while not stop.is_set():
        for window in xdotool("search", "--onlyvisible", "--name", "."):
            pid = xdotool("getwindowpid", window)
            if pid != [str(viewer_pid)] or window == main_window:
                continue
            name = subprocess.run(["xdotool", "getwindowname", window], capture_output=True,
                                  text=True).stdout.strip()
            if name in ("Default IME", ""):
                continue
            seen = first_seen.setdefault(window, time.monotonic())
            if name == "Printing File":
                if time.monotonic() - seen > cancel_after:
                    geometry = dict(kv.split("=") for kv in
                                    xdotool("getwindowgeometry", "--shell", window))
                    width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
                    # Cancel is centred, 60 to 74 of the dialog's 84 units down.
                    subprocess.run(["xdotool", "mousemove", "--window", window,
                                    str(width // 2), str(height * 67 // 84), "click", "1"])
                    stats.cancelled += 1
                    first_seen[window] = time.monotonic() + 3600
            elif time.monotonic() - seen > 2:
                stats.windows[name] += 1
                if stats.windows[name] <= 3:  # what it said, for the report's reader
                    subprocess.run(["import", "-window", window, "%s-window-%s-%d.png" % (
                        report_base, name.replace(" ", "_"), stats.windows[name])])
                subprocess.run(["xdotool", "key", "--window", window, "Return"])
                first_seen[window] = time.monotonic()
        time.sleep(0.5)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine-run", required=True)
    parser.add_argument("--dde-exe", required=True)
    parser.add_argument("--viewer-pid", type=int, required=True)
    parser.add_argument("--main-window", required=True, help="its X window id")
    parser.add_argument("--file", required=True, help="the viewed file, Windows path")
    parser.add_argument("--clients", type=int, default=4)
    parser.add_argument("--commands", type=int, default=2500)
    parser.add_argument("--timeouts", default="60000,10000,2000,300")
    parser.add_argument("--cancel-after", type=float, default=3.0)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--report", required=True)
    args = parser.parse_args()

    timeouts = [int(t) for t in args.timeouts.split(",")]
    stats = Stats(args.clients)
    clients = [Client(i, commands(random.Random(args.seed * 100 + i), args.commands, args.file),
                      timeouts[i % len(timeouts)], args, stats) for i in range(args.clients)]
    stop = threading.Event()
    watcher = threading.Thread(target=watch_windows, daemon=True,
                               args=(args.viewer_pid, args.main_window, stop, stats,
                                     args.cancel_after, args.report.rsplit(".", 1)[0]))
    began = time.monotonic()
    watcher.start()
    for client in clients:
        client.start()
    for client in clients:
        client.join()
    stop.set()
    watcher.join()
    took = time.monotonic() - began

    failures = [f for c in clients for f in c.failures]
    with open(args.report, "w") as report:
        def say(text=""):
            report.write(text + "\n")
            print(text)
        say("%d clients x %d execute strings in %.0f s (timeouts %s ms)"
            % (args.clients, args.commands, took, args.timeouts))
        say("answers: " + ", ".join("%s %d" % (CODES[k], stats.kinds[k]) for k in sorted(CODES)))
        for i, counts in enumerate(stats.by_client):
            say("  client %d (timeout %d ms, %d conversations): %s"
                % (i, timeouts[i % len(timeouts)], stats.conversations[i],
                   ", ".join("%s %d" % (CODES[k], counts[k]) for k in sorted(CODES))))
        say("messages: " + "; ".join("%s: %d" % kv for kv in stats.messages.most_common()))
        say("longest wait: %.2f s for a first answer (with the client's start), "
            "%.2f s between answers" % (stats.longest["first"], stats.longest["next"]))
        say("print jobs cancelled after %.0f s: %d" % (args.cancel_after, stats.cancelled))
        say("other windows shown: " + (", ".join("%s %d" % kv for kv in stats.windows.items())
                                        or "none"))
        for failure in failures[:50]:
            say("FAIL: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    raise SystemExit(main())
