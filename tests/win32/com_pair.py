#!/usr/bin/env python3
"""Two COM ports of a Wine prefix joined as by a null-modem cable, for the serial tests.

   com_pair.py DOSDEVICES A B     e.g. com_pair.py $WINEPREFIX/dosdevices 201 202

Links two pseudo-terminals as comA and comB and copies the bytes written to one to the other.
"HANGUP" written to comB hangs comA up, as an unplugged receiver would, and links a fresh comA.
Prints "ready" once both links exist; runs until killed.
"""
import os
import select
import sys
import time
import tty


def link(dosdevices, number):
    master, slave = os.openpty()  # the slave stays open: no hang-up while Wine has no handle
    tty.setraw(slave)
    path = os.path.join(dosdevices, "com%d" % number)
    os.symlink(os.ttyname(slave), path + ".new")
    os.replace(path + ".new", path)
    return master, slave


def main():
    dosdevices, a_number, b_number = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    a, b = link(dosdevices, a_number), link(dosdevices, b_number)
    print("ready", flush=True)
    while True:
        for fd in select.select([a[0], b[0]], [], [])[0]:
            data = os.read(fd, 4096)
            if fd == a[0]:
                os.write(b[0], data)
                continue
            before, hangup, _ = data.partition(b"HANGUP")
            os.write(a[0], before)
            if hangup:
                time.sleep(0.3)  # what was sent before is read before the line goes dead
                os.close(a[0])
                os.close(a[1])
                a = link(dosdevices, a_number)


if __name__ == "__main__":
    main()
