#!/usr/bin/env python3
"""Writes the seed corpus of every harness into fuzz/corpus/<harness>/.

Each seed follows its harness's input layout (see the comment at the top of each harness).
Run it again after changing a layout; the files it writes are committed.
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
CORPUS = os.path.join(HERE, "corpus")


def crc16(data: bytes) -> int:
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1
    return crc


def sealed(body: bytes) -> bytes:
    crc = crc16(body)
    return body + bytes([crc & 0xFF, crc >> 8])


def u16(v: int) -> bytes:
    return struct.pack(">H", v & 0xFFFF)


def u32(v: int) -> bytes:
    return struct.pack(">I", v & 0xFFFFFFFF)


def name(text: bytes) -> bytes:
    return text[:14].ljust(14, b" ")


# --- frames -------------------------------------------------------------------------------


def request(address: int, outer: bytes, inner: bytes = b"") -> bytes:
    body = bytes([address]) + outer + b"\0\0" + inner
    total = len(body) + 2
    body = body[:3] + u16(total) + body[5:]
    if inner:
        body = body[:7] + u16(len(body) - 5) + body[9:]
    return sealed(body)


def status_reply() -> bytes:
    body = bytearray(62)
    body[0:5] = bytes([1, 0x46, 0x00, 0x00, 0x40])
    body[5:11] = bytes([24, 6, 15, 12, 30, 45])  # clock
    body[11:13] = u16(853)  # 85.3 degrees
    body[17:21] = u16(0x1234) + u16(0x1200)  # recording addresses
    body[22] = 0x42  # mode 2
    body[61] = 1  # panel ready
    return sealed(bytes(body))


def frames() -> dict:
    return {
        "status-request": request(1, b"\x46\x00"),
        "read-relay-group": request(1, b"\x46\x08", b"\x46\x0c\x00\x00\x01"),
        "submit-write-clock": request(7, b"\x47\x09", b"\x47\x06\x00\x00" + bytes([24, 6, 15, 12, 0, 0])),
        "module-ack": sealed(bytes([1, 0x47, 0x09, 0x00, 0x07])),
        "status-reply": status_reply(),
    }


# --- reply decoders -----------------------------------------------------------------------

CODE_PAGE = {0: 1, 1: 2, 2: 3, 3: 4}  # the byte that selects each code page


def decoder(selector: int, code_page: int, first: int, second: int, data: bytes) -> bytes:
    return bytes([selector, CODE_PAGE[code_page], first & 0xFF, second & 0xFF]) + data


def relay_item(n: int) -> bytes:
    return (name(b"PUMP %d" % n) + u16(1) + u16(30) + u16(5) + u16(2) + bytes([3, 1])
            + u32(1250 * n) + u32(-250) + u32(100) + u32(149))


def alarm_item(n: int) -> bytes:
    return name(b"ALARM %d" % n) + u16(60 * n) + bytes([1, 0]) + bytes([1 << (n % 8), 0, 0, 0x80])


def process_item(n: int) -> bytes:
    return name(b"\xa5\x86WASH %d" % n) + bytes([n % 3]) + bytes([0x0F, 0, 0xFF, 0])


def analog_item(n: int) -> bytes:
    return (name(b"AO %d\xff" % n) + bytes([1, 2, 3, n]) + u16(0) + u16(1000)
            + u16(-5) + u16(20) + u16(1) + u16(2) + u16(3) + u16(4))


def pid_item(n: int) -> bytes:
    return bytes([1, n, 2]) + u32(10) + u32(-35) + u32(120) + u32(0) + u32(0x7FFFFFFF)


def step_item(n: int, size: int) -> bytes:
    step = u16(600 + n) + u16(-20) + u16(55) + u16(n) + u16(0) + bytes([1, 0, 1, n, 0, 30])
    return step + (u16(40) + u16(20) if size == 20 else b"")


def decoders() -> dict:
    setup = b"".join(u16(i * 7 - 300) for i in range(100))
    passwords = b"".join(b"%06d" % (i * 1111) for i in range(37))
    specials = b"".join(u16(-i) + bytes([i]) + bytes([0xF0, 0, 1, 0]) for i in range(6))
    seeds = {
        "setup": decoder(0, 0, 0, 0, setup),
        "passwords": decoder(1, 0, 0, 0, passwords),
        "special-statuses": decoder(2, 0, 0, 0, specials),
        "relay-group-1": decoder(3, 2, 1, 0, b"\x01" + b"".join(relay_item(i) for i in range(6))),
        "analog-outputs": decoder(4, 0, 0, 0, b"\x00" + b"".join(analog_item(i) for i in range(5))),
        "pid-regulators": decoder(5, 0, 0, 0, b"\x00" + b"".join(pid_item(i) for i in range(5))),
        "alarm-group-0": decoder(6, 3, 0, 0, b"\x00" + b"".join(alarm_item(i) for i in range(12))),
        "process-group-1": decoder(7, 1, 1, 0, b"\x01" + b"".join(process_item(i) for i in range(8))),
        "process-parameters": decoder(8, 0, 0, 0, b"\x00" + b"".join(u16(i) * 5 for i in range(16))),
        # Block count 2: 15 steps of 16 bytes; block count 3: 10 steps of 20 bytes.
        "program-part-0-of-2": decoder(9, 2, 0, 2, b"\x00\x04" + name(b"PROGRAM 5")
                                       + b"".join(step_item(i, 16) for i in range(15))),
        "program-part-2-of-3": decoder(9, 0, 2, 3, b"\x02\x63" + name(b"\xffWASHING\x00")
                                       + b"".join(step_item(i, 20) for i in range(10))),
        "name": decoder(10, 1, 1, 0, b" \x00\x8f\xa0\xe0\xff TEXT\x7f\x01 "),
        "flags": decoder(11, 0, 0, 0, b"\x81\x00\xff\x10"),
        "status": decoder(12, 0, 0, 0, status_reply()),
        "item-special-status": decoder(13, 0, 0, 0, specials[:7]),
        "item-relay": decoder(14, 2, 0, 0, relay_item(7)),
        "item-analog-output": decoder(15, 3, 0, 0, analog_item(2)),
        "item-pid": decoder(16, 0, 0, 0, pid_item(3)),
        "item-alarm": decoder(17, 1, 0, 0, alarm_item(4)),
        "item-process": decoder(18, 2, 0, 0, process_item(5)),
        "item-process-parameters": decoder(19, 0, 0, 0, u16(1) + u16(-1) + u16(300) + u16(0) + u16(7)),
        "item-step": decoder(20, 0, 0, 0, step_item(9, 20)),
    }
    return seeds


# --- INI files ----------------------------------------------------------------------------


def ini(section: bytes, key: bytes, value: bytes, document: bytes) -> bytes:
    return section + b"\0" + key + b"\0" + value + b"\0" + document


SETTINGS = (b"; settings of the program\r\n"
            b"[Parametry]\r\n"
            b"ileBlokProgram=3\r\n"
            b"COM1MinusOffset=1\r\n"
            b"IleSleep=10\r\n"
            b"timeoutStand = 500 \r\n"
            b"StronaKodowa=2\r\n"
            b"\r\n"
            b"[Ports]\r\n"
            b"COM1=/dev/ttyUSB0\r\n"
            b"com12=/dev/ttyS3\r\n")

LINK = (b"\xef\xbb\xbf[Parametry]\n"
        b"ComboBoxPort_ItemIndex=4\n"
        b"ComboBoxPredkosc_ItemIndex=1\n"
        b"# comment\n"
        b"IntEditAdres_Value=+17\n"
        b"FormVersion=0")

ODD = (b"key before any section=1\r\n"
       b"[ Jazyk ]\r\n"
       b"Nazev=\x8a\x9d\xe8 \xbe\xe1\r\n"
       b"a line without equals\r\n"
       b"[jazyk]\n"
       b"nazev=second\n"
       b"=no key\r\n"
       b"[unclosed\r\n"
       b"\r\n"
       b"\r\n")

INTEGERS = (b"[Parametry]\n"
            b"timeoutStand=-2147483648\n"
            b"IleSleep=-2147483649\n"
            b"WaitForPanel=2147483647\n"
            b"JestModul=2147483648\n"
            b"StronaKodowa=+-1\n"
            b"PytajOReset=00000000000000000001\n"
            b"ileBlokProgram=99999999999999999999\n")


def inis() -> dict:
    return {
        "settings-crlf": ini(b"Parametry", b"IleSleep", b" 7 ", SETTINGS),
        "ports": ini(b"Ports", b"COM16", b"/dev/ttyACM0", SETTINGS),
        "link-controls-bom-lf": ini(b"Parametry", b"IntEditAdres_Value", b"-2147483648", LINK),
        "duplicates": ini(b"JAZYK", b"Nazev", b"line\r\nbreak", ODD),
        "new-section": ini(b"Nowa", b"Klucz", b"\tvalue\t", b"[Parametry]\r\nJestModul=1"),
        "integer-bounds": ini(b"Parametry", b"timeoutStand", b"2147483647", INTEGERS),
    }


# --- project files ------------------------------------------------------------------------


def project(flags: int, split: int, body: bytes) -> bytes:
    return bytes([flags, split]) + body


def projects() -> dict:
    body = bytes((i * 37 + 11) & 0xFF for i in range(256))
    return {
        "current-short-with-side-files": project(0x0C, 0x80, body),
        "current-full-no-side-files": project(0x02, 0x00, body),
        "current-full-full-side-files": project(0x1E, 0x60, body),
        "older-short": project(0x01, 0x00, body[:100]),
        "older-full-full-side-files": project(0x1F, 0x40, body),
    }


# --- block files --------------------------------------------------------------------------

RECORD_SIZE = {1: 0, 7: 1, 92: 2, 120: 3, 128: 4, 144: 5}  # the byte that selects each size


def block(record_size: int, count: int, body: bytes, exists: bool = True) -> bytes:
    return bytes([RECORD_SIZE[record_size] | (0 if exists else 0x80), count]) + body


def block_files() -> dict:
    # Number, the name's length byte and seven letters, the rest of a relay record zero.
    relays = b"".join(bytes([i, 0, 0, 0, 7]) + b"RELAY %d" % i + bytes(80) for i in (1, 2, 3))
    return {
        "three-relays-whole": block(92, 3, relays),
        "relays-beyond-the-block": block(92, 2, relays),
        "relays-partial": block(92, 4, relays[:200]),
        "small-records": block(7, 16, bytes(range(60))),
        "no-file": block(128, 5, b""),
    }


# --- code pages ---------------------------------------------------------------------------


def code_pages() -> dict:
    return {
        "polish-1250": b"\x02" + "Zażółć gęślą jaźń ŁÓDŹ".encode("cp1250"),
        "cyrillic-1251": b"\x01" + "Привет, мир! Ёё Її Ґґ №".encode("cp1251"),
        "slovak-utf8": b"\x03" + "Žluťoučký kůň ĽÔ ä".encode("utf-8"),
        # Overlong forms (of '/', of U+0410 and of U+0000), a surrogate, a truncated sequence.
        "utf8-edges": b"\x01" + "€ \ufffd \U0001F600 ?".encode("utf-8")
                      + b"\xc0\xaf \xe0\x90\x90 \xf0\x80\x80\x80 \xed\xa0\x80 \xf4\x90",
        "all-bytes": b"\x04" + bytes(range(256)),
    }


# --- rich text ----------------------------------------------------------------------------

RTF_HEAD = (rb"{\rtf1\ansi\ansicpg1250\deff0{\fonttbl{\f0\fswiss\fcharset238 Arial;}"
            rb"{\f1\fnil\fcharset204 Courier;}{\f2\froman\fcharset0 Times;}}"
            rb"{\colortbl ;\red255\green0\blue0;\red0\green0\blue128;}")


def rich_texts() -> dict:
    return {
        "styled": RTF_HEAD + rb"\pard\qc\b\fs32 F07 Temperature\b0\par"
                  rb"\pard\li360\fi-360\tx720 \i Range:\i0\tab 0 to 1\line\cf1 red\cf0\par}",
        "code-pages": RTF_HEAD + rb"\f0 \'b9\'ea\'9c \f1 \'cf\'f0\'e8 \f2 \'e9\'fc " + "Żółw".encode("cp1250")
                      + rb"\par}",
        "unicode": (rb"{\rtf1\ansi\uc2 \u8364??\uc1 \u-10179?\u-8704?{\u20013\'3f}"
                    rb"\emdash\~\_\-\{\}\\\par}"),
        "skipped": RTF_HEAD + rb"{\stylesheet{\s0 Normal;}}{\info{\title x}}{\*\generator w}"
                   rb'{\header h}{\pict\bin4 \{}{{\field{\*\fldinst HYPERLINK "x"}{\fldrslt link}}}'
                   rb"\par}",
        "table": RTF_HEAD + rb"\trowd\cellx1000\cellx2000\pard\intbl a\cell b\cell\row"
                 rb"\pard\intbl c\cell d\cell\row}",
        "truncated": RTF_HEAD + rb"{\b bold {\i deeper \'e",
        "plain-text": "Zwykły tekst\r\ndruga linia\tz tab\n".encode("cp1250"),
    }


def menu_streams() -> dict:
    groups = [(3, 0x03, 0x01), (4, 0x05, 0x02), (2, 0x03, 0x04)]
    structure = b"\xff\x00" + b"".join(bytes([c, a, b, 0]) for c, a, b in groups) + b"\xfe"
    stream = b"\xff"
    for count, a, b in groups:
        stream += bytes([0, count, a, b])
        for i in range(count):
            stream += b"\x00" + (b"ENTRY %d" % i).ljust(20) + b"\x00"
    stream = stream.ljust(2 + sum(4 + 22 * c for c, _, _ in groups) + 2, b" ")
    texts = b"".join(bytes([len(t)]) + t for t in
                     [b"PROGRAMY", b"PROGRAMS", "\u041f\u0420\u041e".encode("cp1251"),
                      "\u017dLU\u0164".encode("cp1250"), b"A" * 25])
    return {
        "structure": b"\x00" + structure.ljust(264, b"\x00"),
        "structure-fe-attribute": b"\x00\xff\x00\x02\xfe\xfe\x00\x01\x01\x01\x00\xfe",
        "stream": b"\x01" + stream,
        "stream-no-end": b"\x01" + stream[:-3],
        "written": b"\x02" + bytes([len(structure)]) + structure + texts * 3,
    }


def main() -> None:
    sets = {
        "block_files": block_files(),
        "frame": frames(),
        "reply_decoders": decoders(),
        "ini_file": inis(),
        "project_files": projects(),
        "code_page": code_pages(),
        "rich_text": rich_texts(),
        "menu_streams": menu_streams(),
    }
    for harness, seeds in sets.items():
        folder = os.path.join(CORPUS, harness)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for seed, data in seeds.items():
            with open(os.path.join(folder, seed), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
