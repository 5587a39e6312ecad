#!/usr/bin/env python3
"""What a blind user waits for in a long list: for the program's main window and for Qt's own
list view, each filled with the same random names, the time from a key to Orca's first word
and to its silence, Orca's and the list's program's CPU time meanwhile, and what it said. Keys: Tab into the list,
Down, a letter, End. Nothing is checked; run it through the Orca harness:

    SI_ORCA_SCENARIO=bench/orca-list-wait.py tests/on-xvfb.sh tests/orca/run.sh \\
        build/bench/bench_orca_list [students, default 32767]
"""

import os
import re
import subprocess
import sys
import time

LIMIT = 240.0  # seconds a key may take before it counts as unanswered
QUIET = 2.0  # silence after the first word that ends an answer
KEYS = [('Down', 'Down'), ('a letter (m)', 'm'), ('End', 'End')]


class Speech:
    def __init__(self, path):
        self.path = path

    def lines(self):
        with open(self.path, 'rb') as f:
            data = f.read()
        data = data[:data.rfind(b'\n') + 1].decode('utf-8', 'replace')
        return [' '.join(line.split()) for line in data.split('\n') if line.strip()]


def orca_pid():
    # The harness's own Orca, started beside this script: another may run on the machine.
    out = subprocess.run(['pgrep', '-P', str(os.getppid()), '-f', 'launch-orca.py'],
                         capture_output=True, text=True).stdout
    pids = out.split()
    return int(pids[0]) if pids else None


def cpu_seconds(pid):
    try:
        with open(f'/proc/{pid}/stat') as f:
            fields = f.read().rsplit(')', 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')
    except (OSError, IndexError, TypeError):
        return 0.0


def answer(speech, keys, orca, program):
    """Presses keys; returns (first word s, silence s, Orca's CPU s, the program's CPU s, what
    was said)."""
    wait_quiet(speech, orca)
    before = len(speech.lines())
    cpu = cpu_seconds(orca)
    program_cpu = cpu_seconds(program)
    start = time.monotonic()
    subprocess.run(['xdotool', 'key', keys], check=True)
    first = last = None
    count = before
    while True:
        time.sleep(0.02)
        now = time.monotonic()
        lines = speech.lines()
        if len(lines) != count:
            # Orca's echo of the key is not an answer.
            if first is None and all(line.lower().strip('.') == keys.lower()
                                     for line in lines[before:]):
                count = len(lines)
                continue
            count = len(lines)
            last = now
            if first is None:
                first = now
        if first is not None and now - last >= QUIET:
            break
        if now - start > LIMIT:
            break
    said = ' | '.join(speech.lines()[before:])
    return (None if first is None else first - start,
            None if last is None else last - start,
            cpu_seconds(orca) - cpu, cpu_seconds(program) - program_cpu, said)


def wait_quiet(speech, orca, longest=LIMIT):
    """Until Orca has said nothing and used no CPU for a moment."""
    end = time.monotonic() + longest
    count, cpu, still = len(speech.lines()), cpu_seconds(orca), time.monotonic()
    while time.monotonic() < end:
        time.sleep(0.1)
        now_count, now_cpu = len(speech.lines()), cpu_seconds(orca)
        if now_count != count or now_cpu - cpu > 0.05:
            count, cpu, still = now_count, now_cpu, time.monotonic()
        elif time.monotonic() - still >= 1.5:
            return


def show(what, figures):
    first, last, cpu, program_cpu, said = figures
    f = '   -  ' if first is None else f'{first:6.2f}'
    s = '   -  ' if last is None else f'{last:6.2f}'
    print(f'  {what:<18} first word {f} s  done {s} s  CPU: Orca {cpu:6.2f} s, program '
          f'{program_cpu:6.2f} s  said: {said[:100]}', flush=True)


def run(host, kind, students, speech, log):
    orca = orca_pid()
    print(f'{kind}: {students} students', flush=True)
    process = subprocess.Popen([host, kind, str(students)], stdout=log, stderr=subprocess.STDOUT,
                               env=dict(os.environ, QT_QPA_PLATFORM='xcb'))
    try:
        mark = len(speech.lines())
        start = time.monotonic()
        while len(speech.lines()) == mark and time.monotonic() - start < LIMIT:
            time.sleep(0.05)
        print(f'  window named after {time.monotonic() - start:.1f} s', flush=True)
        # Tab until the list is named; only that Tab is timed.
        for _ in range(8):
            figures = answer(speech, 'Tab', orca, process.pid)
            if re.search(r'(?<!\w)Students(?!\w)', figures[-1]):
                show('Tab into the list', figures)
                break
        else:
            print('  the list never got the focus by Tab', flush=True)
            return
        for what, keys in KEYS:
            show(what, answer(speech, keys, orca, process.pid))
    finally:
        process.kill()
        process.wait()
        wait_quiet(speech, orca)


def main():
    args = sys.argv[1:]
    options = {}
    positional = []
    i = 0
    while i < len(args):
        if args[i] in ('--speech', '--log'):
            options[args[i]] = args[i + 1]
            i += 2
        else:
            positional.append(args[i])
            i += 1
    if not positional or '--speech' not in options:
        sys.exit(__doc__)
    host = positional[0]
    students = int(positional[1]) if len(positional) > 1 else 32767
    speech = Speech(options['--speech'])
    version = subprocess.run(['/usr/bin/orca', '--version'], capture_output=True,
                             text=True).stdout.strip()
    print(f'{version}; each key answered within {LIMIT:.0f} s or not at all', flush=True)
    with open(options.get('--log', os.devnull), 'ab') as log:
        for kind in ('program', 'qt'):
            run(host, kind, students, speech, log)


if __name__ == '__main__':
    main()
