#!/usr/bin/env python3
"""Writes hostile inputs for every reader into a folder, each at most 10 MB.

Usage: hostile_inputs.py FOLDER

Each file claims or holds far more than it costs to store: sheets of empty
cells, millions of empty shared strings, repeated rows and columns, one line
of ten million separators. The .xls files are written by the test itself.
"""
import itertools
import os
import sys
import zipfile

MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
REL = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PKG = "http://schemas.openxmlformats.org/package/2006/relationships"


def streamed(zf, name, pieces):
    with zf.open(name, "w", force_zip64=True) as out:
        for piece in pieces:
            out.write(piece)


def xlsx(path, sheets, shared=None, styles=None, workbook=None, rels=None):
    """sheets: list of (name, iterable of XML byte pieces for sheetData)."""
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zf:
        zf.writestr("[Content_Types].xml",
                    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>')
        zf.writestr("_rels/.rels", f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" '
                    f'Type="{REL}/officeDocument" Target="xl/workbook.xml"/></Relationships>')
        entries = "".join(f'<sheet name="{name}" sheetId="{i + 1}" r:id="rId{i + 1}"/>'
                          for i, (name, _) in enumerate(sheets))
        if workbook is None:
            zf.writestr("xl/workbook.xml", f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets>{entries}</sheets></workbook>')
        else:
            streamed(zf, "xl/workbook.xml", workbook)
        links = "".join(f'<Relationship Id="rId{i + 1}" Type="{REL}/worksheet" Target="worksheets/sheet{i + 1}.xml"/>'
                        for i in range(len(sheets)))
        links += f'<Relationship Id="rIdS" Type="{REL}/sharedStrings" Target="sharedStrings.xml"/>'
        links += f'<Relationship Id="rIdY" Type="{REL}/styles" Target="styles.xml"/>'
        if rels is None:
            zf.writestr("xl/_rels/workbook.xml.rels", f'<Relationships xmlns="{PKG}">{links}</Relationships>')
        else:
            streamed(zf, "xl/_rels/workbook.xml.rels", rels)
        streamed(zf, "xl/sharedStrings.xml", shared or [f'<sst xmlns="{MAIN}"><si><t>one</t></si></sst>'.encode()])
        if styles is not None:
            streamed(zf, "xl/styles.xml", styles)
        for i, (_, data) in enumerate(sheets):
            streamed(zf, f"xl/worksheets/sheet{i + 1}.xml",
                     itertools.chain([f'<worksheet xmlns="{MAIN}"><sheetData>'.encode()], data, [b"</sheetData></worksheet>"]))


def chain(head, middle, tail=b""):
    return itertools.chain([head], middle, [tail])


def repeat(piece, count, chunk=1 << 16):
    block = piece * chunk
    for _ in range(count // chunk):
        yield block
    yield piece * (count % chunk)


def empty_rows(rows, cells_per_row, styled=False):
    cell = b'<c s="0"/>' if styled else b"<c/>"
    row = b"<row>" + cell * cells_per_row + b"</row>"
    return repeat(row, rows, 64)


def ods(path, body):
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as zf:
        zf.writestr("mimetype", "application/vnd.oasis.opendocument.spreadsheet", compress_type=zipfile.ZIP_STORED)
        zf.writestr("META-INF/manifest.xml",
                    '<manifest:manifest xmlns:manifest="urn:oasis:names:tc:opendocument:xmlns:manifest:1.0">'
                    '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.oasis.opendocument.spreadsheet"/>'
                    '<manifest:file-entry manifest:full-path="content.xml" manifest:media-type="text/xml"/>'
                    '</manifest:manifest>')
        head = ('<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
                'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
                'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0" '
                'xmlns:office2="urn:oasis:names:tc:opendocument:xmlns:office:1.0">'
                '<office:body><office:spreadsheet><table:table table:name="S1">').encode()
        tail = b"</table:table></office:spreadsheet></office:body></office:document-content>"
        streamed(zf, "content.xml", itertools.chain([head], body, [tail]))


def text_file(path, pieces):
    with open(path, "wb") as out:
        for piece in pieces:
            out.write(piece)


def main():
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    p = lambda name: os.path.join(folder, name)

    # The reported cases: sheets of empty cells, one after another.
    xlsx(p("empty-cells-3.xlsx"), [(f"S{i}", empty_rows(700, 16384)) for i in range(1, 4)])
    xlsx(p("empty-cells-12.xlsx"), [(f"S{i}", empty_rows(200, 16384)) for i in range(1, 13)])
    xlsx(p("styled-empty-cells.xlsx"), [("S1", empty_rows(400_000, 64, styled=True))])
    xlsx(p("empty-shared-strings.xlsx"), [("S1", [b'<row><c t="s"><v>0</v></c></row>'])],
         shared=chain(f'<sst xmlns="{MAIN}">'.encode(), repeat(b"<si/>", 50_000_000), b"</sst>"))
    xlsx(p("long-inline-texts.xlsx"),
         [("S1", repeat(b'<row><c t="inlineStr"><is><t>' + b"a" * 32767 + b"</t></is></c></row>", 16000, 16))])
    xlsx(p("many-cell-formats.xlsx"), [("S1", [b"<row><c><v>1</v></c></row>"])],
         styles=chain(f'<styleSheet xmlns="{MAIN}"><cellXfs>'.encode(), repeat(b'<xf numFmtId="0"/>', 15_000_000),
                      b"</cellXfs></styleSheet>"))
    names = (f'<sheet name="S{i}" sheetId="{i}" r:id="rId1"/>'.encode() for i in range(2, 1_500_000))
    xlsx(p("many-sheet-entries.xlsx"), [("S0", [b"<row><c><v>1</v></c></row>"])],
         workbook=chain(f'<workbook xmlns="{MAIN}" xmlns:r="{REL}"><sheets><sheet name="S1" sheetId="1" r:id="rId1"/>'.encode(),
                        names, b"</sheets></workbook>"))
    links = (f'<Relationship Id="x{i}" Type="{REL}/image" Target="m/{i}.png"/>'.encode() for i in range(1_500_000))
    xlsx(p("many-relationships.xlsx"), [("S1", [b"<row><c><v>1</v></c></row>"])],
         rels=chain(f'<Relationships xmlns="{PKG}"><Relationship Id="rId1" Type="{REL}/worksheet" Target="worksheets/sheet1.xml"/>'.encode(),
                    links, b"</Relationships>"))
    xlsx(p("deep-nesting.xlsx"), [("S1", itertools.chain(repeat(b"<x>", 20_000_000), repeat(b"</x>", 20_000_000)))])

    # .ods: repeated rows and columns claim what they do not store.
    ods(p("repeated-rows.ods"), [b'<table:table-row table:number-rows-repeated="16777000"><table:table-cell/></table:table-row>',
                                  b'<table:table-row><table:table-cell office:value-type="string"><text:p>x</text:p></table:table-cell></table:table-row>'])
    ods(p("repeated-cells.ods"), repeat(b'<table:table-row><table:table-cell table:number-columns-repeated="16000" '
                                        b'office:value-type="string"><text:p>x</text:p></table:table-cell></table:table-row>', 100_000))
    ods(p("empty-cells.ods"), repeat(b"<table:table-row>" + b"<table:table-cell/>" * 1000 + b"</table:table-row>", 20_000, 16))

    # Text formats: ten megabytes of the cheapest thing each can hold.
    ten = 10_000_000
    text_file(p("separators.csv"), [b"ID,English\r\n", b"1," + b"," * (ten - 20) + b"\r\n"])
    text_file(p("rows.csv"), chain(b"ID,English\r\n", repeat(b"\n", ten - 20)))
    text_file(p("short-rows.csv"), chain(b"ID,en\r\n2057\r\n", repeat(b"1,\n", ten // 3 - 10)))
    text_file(p("strings.rc"), chain(b"STRINGTABLE\nBEGIN\n", (b'%d ""\n' % (i % 65536) for i in range(ten // 9)), b"END\n"))
    text_file(p("tables.rc"), repeat(b'STRINGTABLE{1""}', ten // 16))
    text_file(p("languages.rc"), (b'LANGUAGE %d,%d\nSTRINGTABLE{1""}\n' % (p_, s_) for s_ in range(64) for p_ in range(1, 1024)))
    text_file(p("units.po"), chain(b'msgid ""\nmsgstr "Language: de-DE\\n"\n\n',
                                   (b'msgctxt "%d"\nmsgid ""\nmsgstr ""\n\n' % i for i in range(1, ten // 40))))
    text_file(p("units.xlf"), chain(b'<xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">'
                                    b'<file source-language="en" target-language="de-DE" datatype="plaintext"><body>',
                                    (b'<trans-unit id="%d"><source/></trans-unit>' % i for i in range(1, ten // 50)),
                                    b"</body></file></xliff>"))
    text_file(p("deep.xlf"), chain(b'<xliff version="1.2" xmlns="urn:oasis:names:tc:xliff:document:1.2">',
                                   repeat(b"<g>", ten // 3 - 100)))


if __name__ == "__main__":
    main()
