#!/usr/bin/env python3
"""Two COM ports joined by a null-modem cable, for the serial tests under Wine.

Makes two pseudo-terminals, links them as comA and comB in a Wine prefix's dosdevices folder,
and copies every byte written to one to the other. A line "HANGUP" written to comB hangs comA
up, as an unplugged receiver would, then links a fresh comA in its place. Prints "ready" once
both links exist and runs until killed.
  com_pair.py DOSDEVICES A B     e.g. com_pair.py $WINEPREFIX/dosdevices 201 202
"""
import os
import select
import sys
import tty

HANGUP = b"HANGUP"


def link(dosdevices, number):
    master, slave = os.openpty()
    tty.setraw(slave)
    path = os.path.join(dosdevices, "com%d" % number)
    temporary = path + ".new"
    os.symlink(os.ttyname(slave), temporary)
    os.replace(temporary, path)
    # The slave stays open here too, so the master reads no hang-up while Wine has no handle.
    return master, slave


def main():
    dosdevices, a_number, b_number = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    a = link(dosdevices, a_number)
    b = link(dosdevices, b_number)
    print("ready", flush=True)
    from_b = b""
    while True:
        readable, _, _ = select.select([a[0], b[0]], [], [])
        for fd in readable:
            data = os.read(fd, 4096)
            if fd == a[0]:
                os.write(b[0], data)
                continue
            from_b = (from_b + data)[-len(HANGUP):]
            if HANGUP in data or from_b == HANGUP:
                os.close(a[0])
                os.close(a[1])
                a = link(dosdevices, a_number)
                from_b = b""
            else:
                os.write(a[0], data)


if __name__ == "__main__":
    main()
