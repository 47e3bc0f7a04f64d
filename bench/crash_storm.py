#!/usr/bin/python3
"""Kills tessaly with SIGKILL at random instants while another program copies continuously
(texts, PNG images of 1-5 MB, file lists), starts it again, and checks the history folder after
every kill and every restart. Prints the counts.

    bench/crash_storm.py BUILD_DIR [--rounds N] [--disk-full]

--disk-full runs the history on a small tmpfs (root only: it mounts one) that fills up: writes
fail, the files already written must stay intact and the program must keep running. An entry
whose snapshot did not fit is counted apart (the index names it until the next start drops it).
At the end the disk is filled to the last byte, a copy is made, the space is freed, and the next
copy must save the whole history again.
"""

import argparse
import json
import os
import random
import shutil
import signal
import stat
import struct
import subprocess
import sys
import tempfile
import time
import zlib


def png_bytes(width, height, seed):
    """An incompressible RGB PNG of about width * height * 3 bytes."""
    rng = random.Random(seed)
    rows = b"".join(b"\x00" + rng.randbytes(width * 3) for _ in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 1)) + chunk(b"IEND", b""))


class Desktop:
    """A private X display with a window manager and a session bus."""

    def __init__(self, root):
        self.processes = []
        self.display = ":%d" % random.randint(200, 900)
        self.env = dict(os.environ)
        self.env.update({
            "DISPLAY": self.display,
            "XDG_DATA_HOME": os.path.join(root, "data"),
            "XDG_CONFIG_HOME": os.path.join(root, "config"),
            "XDG_RUNTIME_DIR": os.path.join(root, "runtime"),
            "QT_QPA_PLATFORM": "xcb",
        })
        os.makedirs(self.env["XDG_RUNTIME_DIR"], mode=0o700)
        os.makedirs(os.path.join(root, "config", "Tessaly"))
        with open(os.path.join(root, "config", "Tessaly", "Tessaly.conf"), "w") as conf:
            conf.write("[General]\nhasCompletedOnboarding=true\n")
        self.start(["Xvfb", self.display, "-screen", "0", "1280x900x24", "-nolisten", "tcp"])
        time.sleep(1)
        bus = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                              "--print-pid=1"], capture_output=True, text=True, env=self.env)
        address, pid = bus.stdout.split("\n")[:2]
        self.bus_pid = int(pid)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.start(["openbox"])
        time.sleep(0.5)

    def start(self, command, **kwargs):
        process = subprocess.Popen(command, env=self.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL, **kwargs)
        self.processes.append(process)
        return process

    def stop(self):
        for process in reversed(self.processes):
            process.kill()
            process.wait()
        os.kill(self.bus_pid, signal.SIGTERM)


def read_index(history):
    path = os.path.join(history, "history.json")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as index:
        return json.loads(index.read())  # raises on a damaged index


def leftovers(history, entries):
    """Files of the folder that belong to no entry of the index."""
    wanted = {"history.json", "Items"}
    items = set()
    for entry in entries:
        items.add(entry["id"] + ".plist")
        items.add(entry["id"] + "-thumb.png")
    found = [name for name in os.listdir(history) if name not in wanted]
    folder = os.path.join(history, "Items")
    if os.path.isdir(folder):
        found += ["Items/" + name for name in os.listdir(folder) if name not in items]
    return found


def permission_faults(history):
    faults = []
    for folder, _, files in os.walk(history):
        if stat.S_IMODE(os.stat(folder).st_mode) != 0o700:
            faults.append(folder)
        for name in files:
            path = os.path.join(folder, name)
            if stat.S_IMODE(os.stat(path).st_mode) != 0o600:
                faults.append(path)
    return faults


def disk_full_recovery(tessaly, desktop, history, counts):
    """Fills the disk to the last byte, copies, frees the space, copies again."""
    env = desktop.env
    program = subprocess.Popen([tessaly], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    time.sleep(2)
    filler = os.path.join(env["XDG_DATA_HOME"], "filler")
    with open(filler, "wb") as out:
        try:
            while True:
                out.write(b"\0" * 65536)
                out.flush()
        except OSError:
            pass
    index_before = open(os.path.join(history, "history.json"), "rb").read()

    def copy_text(text):
        xclip = subprocess.Popen(["xclip", "-selection", "clipboard", "-i"], env=env,
                                 stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                 stderr=subprocess.DEVNULL)
        xclip.stdin.write(text.encode())
        xclip.stdin.close()
        time.sleep(1.5)

    copy_text("cópia com o disco cheio")
    if open(os.path.join(history, "history.json"), "rb").read() == index_before:
        counts["index kept while full"] += 1
    os.remove(filler)
    copy_text("cópia com espaço de novo")
    entries = read_index(history)
    texts = [entry.get("text", "") for entry in entries]
    if (program.poll() is None and "cópia com espaço de novo" in texts and
            "cópia com o disco cheio" in texts and
            all(os.path.exists(os.path.join(history, "Items", entry["id"] + ".plist"))
                for entry in entries if entry.get("text") == "cópia com espaço de novo")):
        counts["saved after space freed"] += 1
    else:
        counts["ended by itself" if program.poll() is not None else "entry lost"] += 1
    program.send_signal(signal.SIGTERM)
    program.wait()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("--rounds", type=int, default=1000)
    parser.add_argument("--disk-full", action="store_true")
    parser.add_argument("--seed", type=int, default=1)
    options = parser.parse_args()
    random.seed(options.seed)
    tessaly = os.path.join(os.path.abspath(options.build), "src", "app", "tessaly")

    root = tempfile.mkdtemp(prefix="crash-storm-")
    desktop = Desktop(root)
    history = os.path.join(desktop.env["XDG_DATA_HOME"], "Tessaly")
    if options.disk_full:
        os.makedirs(desktop.env["XDG_DATA_HOME"])
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m,mode=0700", "tmpfs",
                        desktop.env["XDG_DATA_HOME"]], check=True)

    pictures = []
    for n in range(4):
        side = random.choice([600, 800, 1000, 1200])
        path = os.path.join(root, "picture-%d.png" % n)
        with open(path, "wb") as out:
            out.write(png_bytes(side, side * 2 // 3, n))
        pictures.append(path)
    files = [os.path.join(root, "file-%d.txt" % n) for n in range(5)]
    for path in files:
        open(path, "w").write("arquivo\n")

    counts = {"rounds": 0, "kills": 0, "index damaged": 0, "entry without snapshot": 0,
              "entry lost": 0, "leftover files": 0, "permission faults": 0,
              "did not start": 0, "ended by itself": 0}
    if options.disk_full:
        counts.update({"snapshot did not fit": 0, "index kept while full": 0,
                       "saved after space freed": 0})
    copies = 0
    owner = None

    def copy():
        nonlocal owner, copies
        kind = random.random()
        if kind < 0.6:
            command = ["xclip", "-selection", "clipboard", "-i"]
            data = ("texto %d %s" % (copies, "x" * random.randint(0, 4000))).encode()
        elif kind < 0.8:
            command = ["xclip", "-selection", "clipboard", "-t", "image/png", "-i",
                       random.choice(pictures)]
            data = None
        else:
            chosen = random.sample(files, random.randint(1, len(files)))
            command = ["xclip", "-selection", "clipboard", "-t", "text/uri-list", "-i"]
            data = ("\r\n".join("file://" + path for path in chosen) + "\r\n").encode()
        process = subprocess.Popen(command, env=desktop.env, stdin=subprocess.PIPE,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if data is not None:
            process.stdin.write(data)
        process.stdin.close()
        copies += 1

    started = time.monotonic()
    try:
        before = []
        for round_number in range(options.rounds):
            counts["rounds"] += 1
            program = subprocess.Popen([tessaly], env=desktop.env, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.PIPE)
            launched = False
            deadline = time.monotonic() + 10
            line = b""
            os.set_blocking(program.stderr.fileno(), False)
            while time.monotonic() < deadline and program.poll() is None:
                chunk = program.stderr.read() or b""
                line += chunk
                if b"iniciado" in line:
                    launched = True
                    break
                time.sleep(0.02)
            if not launched:
                counts["did not start"] += 1
            # After the start: the entries of the index before the kill are all there (the
            # limit of 50 may have trimmed the oldest ones), and nothing is left over.
            time.sleep(0.3)
            try:
                after = read_index(history)
            except ValueError:
                counts["index damaged"] += 1
                after = []
            kept_ids = {entry["id"] for entry in after}
            if len(after) < 50:
                counts["entry lost"] += sum(1 for entry in before if entry["id"] not in kept_ids)
            else:
                oldest = min(entry["lastUsedAt"] for entry in after)
                counts["entry lost"] += sum(1 for entry in before
                                            if entry["id"] not in kept_ids and
                                            entry["lastUsedAt"] > oldest)
            if os.path.isdir(history):
                counts["leftover files"] += len(leftovers(history, after))
                counts["permission faults"] += len(permission_faults(history))

            # Copies while it runs, then the kill at a random instant.
            end = time.monotonic() + random.uniform(0.05, 2.0)
            while time.monotonic() < end:
                copy()
                time.sleep(random.uniform(0.02, 0.3))
            try:
                before = read_index(history)
            except ValueError:
                before = []
            if program.poll() is not None:
                counts["ended by itself"] += 1
            program.send_signal(signal.SIGKILL)
            program.wait()
            counts["kills"] += 1

            # Right after the kill: the index parses and every entry has its snapshot.
            try:
                entries = read_index(history)
            except ValueError:
                counts["index damaged"] += 1
                entries = []
            stored = []
            for entry in entries:
                if os.path.exists(os.path.join(history, "Items", entry["id"] + ".plist")):
                    stored.append(entry)
                elif options.disk_full:
                    counts["snapshot did not fit"] += 1
                else:
                    counts["entry without snapshot"] += 1
            before = stored
            if round_number % 50 == 49:
                print("… %d rounds, %d copies, %.0f s" % (round_number + 1, copies,
                                                          time.monotonic() - started),
                      flush=True)
        if options.disk_full:
            disk_full_recovery(tessaly, desktop, history, counts)
        final = read_index(history)
        kinds = {}
        for entry in final:
            kinds[entry["kind"]] = kinds.get(entry["kind"], 0) + 1
        print("index at the end: %d entries %s" % (len(final), kinds))
    finally:
        if options.disk_full:
            subprocess.run(["umount", desktop.env["XDG_DATA_HOME"]])
        desktop.stop()
        shutil.rmtree(root, ignore_errors=True)

    print("crash storm: %d copies in %.0f s" % (copies, time.monotonic() - started))
    for name, value in counts.items():
        print("  %s: %d" % (name, value))
    faults = sum(counts[name] for name in ("index damaged", "entry without snapshot",
                                           "entry lost", "leftover files",
                                           "permission faults", "ended by itself"))
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
