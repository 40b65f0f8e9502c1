"""Checks the shared string table of each .xls file named on the command line
as Excel lays it out: the strings begin in the SST record itself, a CONTINUE
record follows only one that is full, EXTSST points at every bucket's first
string, and the counts match the LABELSST cells. Exits 1 naming the fault."""
import struct
import sys

from xlrd import compdoc

MAX = 8224
# A record may end this much short of full: a string's header (at most 9
# bytes) with its first two characters does not fit, or a run, or half a pair.
SLACK = 9 + 4


def records(stream):
    pos = 0
    while pos + 4 <= len(stream):
        kind, length = struct.unpack_from('<HH', stream, pos)
        yield pos, kind, stream[pos + 4:pos + 4 + length]
        pos += 4 + length


def check(path):
    ole = compdoc.CompDoc(open(path, 'rb').read())
    stream = ole.get_named_stream('Workbook')
    table, extsst, labels, after = [], None, 0, None
    for pos, kind, body in records(stream):
        if kind == 0x00FC and not table:
            table.append((pos, body))
            after = 'sst'
        elif kind == 0x003C and after == 'sst':
            table.append((pos, body))
        elif kind == 0x00FF and after == 'sst':
            extsst = body
            after = None
        else:
            if kind == 0x00FD:
                labels += 1
            if after == 'sst':
                after = None
    if not table:
        assert labels == 0, '%d LABELSST cells and no SST' % labels
        return
    total, unique = struct.unpack_from('<II', table[0][1], 0)
    assert total == labels, 'SST counts %d references, the sheets hold %d' % (total, labels)
    assert unique == 0 or len(table[0][1]) > 8, 'the SST record holds no string; they all follow in CONTINUE'
    for pos, body in table[:-1]:
        assert len(body) >= MAX - SLACK, 'record at %d continues after %d bytes' % (pos, len(body))
    starts = []  # (stream position, offset in its record) of each string
    k, at = 0, 8
    def byte():
        nonlocal k, at
        while at == len(table[k][1]):
            k, at = k + 1, 0
        at += 1
        return table[k][1][at - 1]
    def take(n):
        return bytes(byte() for _ in range(n))
    for _ in range(unique):
        while at == len(table[k][1]):
            k, at = k + 1, 0
        starts.append((table[k][0] + 4 + at, 4 + at))
        header = len(table[k][1]) - at
        chars, flags = struct.unpack('<HB', take(3))
        runs = struct.unpack('<H', take(2))[0] if flags & 8 else 0
        phonetic = struct.unpack('<I', take(4))[0] if flags & 4 else 0
        assert header >= 3 + (2 if flags & 8 else 0) + (4 if flags & 4 else 0), 'a string header is split at %d' % starts[-1][0]
        wide, done, units = flags & 1, 0, []
        while done < chars:
            if at == len(table[k][1]):
                k, at = k + 1, 0
                wide = byte() & 1
            n = min(chars - done, (len(table[k][1]) - at) // (2 if wide else 1))
            assert n > 0, 'a string breaks inside a character'
            raw = take(n * (2 if wide else 1))
            try:
                raw.decode('utf-16-le' if wide else 'latin-1')
            except UnicodeDecodeError:
                raise AssertionError('a record ends inside a surrogate pair (string at %d)' % starts[-1][0])
            done += n
        take(4 * runs + phonetic)
    assert k == len(table) - 1 and at == len(table[k][1]), 'the table has bytes after its last string'
    assert extsst is not None, 'no EXTSST after the table'
    bucket = struct.unpack_from('<H', extsst, 0)[0]
    entries = [struct.unpack_from('<IH', extsst, 2 + 8 * i) for i in range((len(extsst) - 2) // 8)]
    wanted = [starts[i] for i in range(0, unique, bucket)] if bucket else []
    assert entries == wanted, 'EXTSST %r, strings at %r' % (entries[:4], wanted[:4])


failed = False
for name in sys.argv[1:]:
    try:
        check(name)
    except AssertionError as e:
        print('%s: %s' % (name, e), file=sys.stderr)
        failed = True
sys.exit(1 if failed else 0)
