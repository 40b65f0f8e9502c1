#!/usr/bin/env python3
"""Runs a program and reports its peak resident memory exactly, as the kernel
counted it: peak_memory.py LIMIT_KB STDERR_FILE PROGRAM ARGS...

Prints "PEAK_KB EXIT_STATUS STOPPED". The program is stopped once its resident
memory passes LIMIT_KB, so a reader gone wrong does not take the machine; its
peak is then at least that.
"""
import os
import signal
import subprocess
import sys
import time


def resident_high_water_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def main():
    limit_kb = int(sys.argv[1])
    with open(sys.argv[2], "wb") as errors:
        child = subprocess.Popen(sys.argv[3:], stdout=subprocess.DEVNULL, stderr=errors)
        stopped = False
        while True:
            pid, status, usage = os.wait4(child.pid, os.WNOHANG)
            if pid == child.pid:
                break
            if not stopped and resident_high_water_kb(child.pid) > limit_kb:
                os.kill(child.pid, signal.SIGKILL)
                stopped = True
            # How often the watch looks, not a limit on the run.
            time.sleep(0.01)
    code = os.waitstatus_to_exitcode(status)
    print(usage.ru_maxrss, code if code >= 0 else -1, int(stopped))


main()
