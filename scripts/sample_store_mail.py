"""Message formats for make-sample-store: dates as mail headers and Outlook
quote blocks write them, addresses with RFC 2047 names, MIME parts and the
assembly of a whole message from its draft."""
import base64
import binascii
import calendar
import datetime as dt
import html
import struct
import zlib

OWNER = ("Alex Morgan", "alex.morgan@example.com")
CRLF = "\r\n"
DAY = 86400
MONTHS = ["January", "February", "March", "April", "May", "June", "July",
          "August", "September", "October", "November", "December"]
WEEKDAYS = ["Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"]
# Working hours carry most of the mail; the weights fall off towards the edges.
HOUR_WEIGHTS = {8: 3, 9: 8, 10: 10, 11: 10, 12: 6, 13: 7, 14: 10, 15: 10, 16: 9, 17: 6}


# ---------------------------------------------------------------- times

def pickTime(rng, first, last):
    """A Unix time and a zone offset (minutes): weekday working hours mostly,
    some evenings, nights and weekends. first/last are dates, inclusive."""
    while True:
        day = first + dt.timedelta(days=rng.randrange((last - first).days + 1))
        if day.weekday() < 5 or rng.random() < 0.12:
            break
    roll = rng.random()
    if roll < 0.82:
        hour = rng.choices(list(HOUR_WEIGHTS), list(HOUR_WEIGHTS.values()))[0]
    elif roll < 0.94:
        hour = rng.randrange(18, 24)
    else:
        hour = rng.randrange(0, 8)
    zone = rng.choices([0, 60, -300], [85, 8, 7])[0]
    wall = dt.datetime(day.year, day.month, day.day, hour, rng.randrange(60), rng.randrange(60))
    return calendar.timegm(wall.timetuple()) - zone * 60, zone


def wallClock(when, zone):
    return dt.datetime.fromtimestamp(when + zone * 60, dt.timezone.utc).replace(tzinfo=None)


def rfc5322Date(when, zone, padDay=True):
    # RFC 5322 section 3.3: day-name, day month year hour:minute:second zone.
    w = wallClock(when, zone)
    sign = "+" if zone >= 0 else "-"
    day = f"{w.day:02d}" if padDay else str(w.day)
    return (f"{WEEKDAYS[w.weekday()][:3]}, {day} {MONTHS[w.month - 1][:3]} {w.year} "
            f"{w:%H:%M:%S} {sign}{abs(zone) // 60:02d}{abs(zone) % 60:02d}")


def outlookSent(when, form):
    """The date of an Outlook "-----Original Message-----" block's Sent: line,
    US form "Monday, September 02, 2019 3:45 PM" or UK form "22 August 2019 19:58"."""
    w = wallClock(when, 0)
    if form == "uk":
        return f"{w.day:02d} {MONTHS[w.month - 1]} {w.year} {w:%H:%M}"
    hour12 = w.hour % 12 or 12
    ampm = "AM" if w.hour < 12 else "PM"
    text = f"{WEEKDAYS[w.weekday()]}, {MONTHS[w.month - 1]} {w.day:02d}, {w.year} {hour12}:{w:%M} {ampm}"
    if form == "glued":  # a damaged line as old exports carry it: year and hour run together
        text = text.replace(f"{w.year} ", str(w.year))
    elif form == "impossible":
        text = f"{WEEKDAYS[w.weekday()]}, Octember {w.day:02d}, {w.year} {hour12}:61 {ampm}"
    return text


def quoteDelay(rng):
    """Seconds between a quoted message and its reply: mostly 10 min to 30 h,
    some quicker, some days late, a few negative (a sender's clock running fast)."""
    roll = rng.random()
    if roll < 0.82:
        return int(600 * (108000 / 600) ** rng.random())
    if roll < 0.90:
        return rng.randrange(60, 600)
    if roll < 0.98:
        return rng.randrange(108000, 5 * DAY)
    return -rng.randrange(60, 5400)


# ---------------------------------------------------------------- addresses

def encodedWord(name, charset, method):
    # RFC 2047 section 4: B is base64, Q is quoted-printable with "_" for a blank.
    raw = name.encode(charset)
    if method == "B":
        return f"=?{charset.upper()}?B?{base64.b64encode(raw).decode()}?="
    safe = b"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789!*+-/"
    body = "".join("_" if c == 32 else chr(c) if c in safe else f"={c:02X}" for c in raw)
    return f"=?{charset.upper()}?Q?{body}?="


def mailbox(person):
    """A display name and address as a header writes it (RFC 5322 section 3.4)."""
    name, addr = person
    if not name.isascii():
        latin = all(ord(c) < 256 for c in name)
        charset = "iso-8859-1" if latin and len(name) % 2 else "utf-8"
        method = "Q" if (len(addr) % 3) else "B"
        return f"{encodedWord(name, charset, method)} <{addr}>"
    if "," in name:
        return f'"{name}" <{addr}>'
    return f"{name} <{addr}>"


# ---------------------------------------------------------------- MIME

def qp(data):
    # RFC 2045 section 6.7; binascii keeps CR LF line ends as hard breaks.
    return binascii.b2a_qp(data, istext=True).replace(b"=\n", b"=\r\n")


def b64(data):
    return base64.encodebytes(data).replace(b"\n", b"\r\n")


def textPart(text, charset, subtype="plain"):
    """Header lines and body bytes of a text part in the given charset."""
    if charset == "us-ascii":
        return [f'Content-Type: text/{subtype}; charset="us-ascii"',
                "Content-Transfer-Encoding: 7bit"], text.encode("ascii")
    if charset == "windows-1252":
        return [f'Content-Type: text/{subtype}; charset="windows-1252"',
                "Content-Transfer-Encoding: 8bit"], text.encode("cp1252")
    encoded = text.encode("latin-1" if charset == "iso-8859-1" else "utf-8")
    return [f'Content-Type: text/{subtype}; charset="{charset}"',
            "Content-Transfer-Encoding: quoted-printable"], qp(encoded)


def htmlOf(text):
    paras = [html.escape(p).replace(CRLF, "<br>" + CRLF) for p in text.split(CRLF * 2)]
    body = CRLF.join(f"<p>{p}</p>" for p in paras)
    return (f"<html>{CRLF}<head><meta http-equiv=\"Content-Type\" content=\"text/html; "
            f"charset=utf-8\"></head>{CRLF}<body>{CRLF}{body}{CRLF}</body>{CRLF}</html>{CRLF}")


def multipart(subtype, boundary, parts, params=""):
    """Header lines and body of a multipart entity (RFC 2046 section 5.1.1)."""
    out = [b"This is a multi-part message in MIME format.\r\n"]
    for headers, body in parts:
        out.append(f"\r\n--{boundary}\r\n".encode() + CRLF.join(headers).encode() + b"\r\n\r\n")
        out.append(body)
    out.append(f"\r\n--{boundary}--\r\n".encode())
    return [f'Content-Type: multipart/{subtype};{params} boundary="{boundary}"'], b"".join(out)


def pngImage(rng, size=24):
    """A small valid PNG (RFC 2083): a colour gradient with a random tint."""
    tint = rng.randrange(256)
    rows = b"".join(b"\x00" + b"".join(bytes((x * 10 % 256, y * 10 % 256, tint)) for x in range(size))
                    for y in range(size))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def pdfDocument(rng):
    """Bytes that start and end like a PDF; the middle is filler of varied size."""
    filler = rng.randbytes(rng.choice([2, 4, 9, 20, 45]) * 1000)
    return b"%PDF-1.4\n%\xe2\xe3\xcf\xd3\n" + filler + b"\n%%EOF\n"


def attachmentPart(kind, rng, name):
    if kind == "png":
        return ([f'Content-Type: image/png; name="{name}"', "Content-Transfer-Encoding: base64",
                 f'Content-Disposition: inline; filename="{name}"',
                 f"Content-ID: <{name}@{rng.getrandbits(32):08x}>"], b64(pngImage(rng)))
    return ([f'Content-Type: application/pdf; name="{name}"', "Content-Transfer-Encoding: base64",
             f'Content-Disposition: attachment; filename="{name}"'], b64(pdfDocument(rng)))


# ---------------------------------------------------------------- assembly

def receivedHeaders(rng, when, count, outbound):
    """Received: lines, topmost first, a few seconds after the message's own
    time (RFC 5321 section 4.4); folded onto a second line as relays write them."""
    top = when + rng.randrange(2, 40)
    times = [top] + ([rng.randrange(when + 1, top)] if count == 2 else [])
    if outbound:  # the owner's client, the company's Exchange server, its mail exchanger
        hops = [("EXCH02.corp.example.com (10.1.4.12)", "mx1.example.com"),
                ("[10.1.7.33]", "EXCH02.corp.example.com")]
    else:
        hops = [("mx1.example.com (192.0.2.25)", "EXCH02.corp.example.com"),
                ("mail.example.net (198.51.100.17)", "mx1.example.com")]
    return [f"Received: from {hops[i][0]}{CRLF}\tby {hops[i][1]} with ESMTPS id "
            f"{rng.getrandbits(40):010x}; {rfc5322Date(t, 0)}" for i, t in enumerate(times)]


def serialise(headers, bodyHeaders, body):
    head = CRLF.join(headers + ["MIME-Version: 1.0"] + bodyHeaders) + CRLF + CRLF
    return head.encode("ascii") + body


def composeBody(rng, draft, text):
    """Header lines and bytes of the body for a message draft: plain, alternative
    or HTML-only text, with attachments wrapped in multipart/mixed."""
    seq = draft["seq"]
    if draft["layout"] == "html":
        headers, body = textPart(htmlOf(text), "utf-8", "html")
    elif draft["layout"] == "alternative":
        headers, body = multipart("alternative", f"----=_NextPart_001_{seq:04X}_01D5A3C2",
                                  [textPart(text, draft["charset"]),
                                   textPart(htmlOf(text), "utf-8", "html")])
    else:
        headers, body = textPart(text, draft["charset"])
    if not draft["attachments"]:
        return headers, body
    parts = [(headers, body)] + [attachmentPart(kind, rng, name) for kind, name in draft["attachments"]]
    return multipart("mixed", f"----=_NextPart_000_{seq:04X}_01D5A3C1", parts)


def meetingBody(rng, draft, topic):
    """A meeting request: text/calendar; method=REQUEST inside multipart/alternative
    (RFC 5546 section 3.2.2)."""
    start = wallClock(draft["when"] + DAY * rng.randrange(1, 9), 0)
    start = start.replace(hour=rng.randrange(9, 17), minute=0, second=0)
    while start.weekday() >= 5:
        start += dt.timedelta(days=1)
    stamp = f"{wallClock(draft['when'], 0):%Y%m%dT%H%M%SZ}"
    ics = CRLF.join(["BEGIN:VCALENDAR", "PRODID:-//Microsoft Corporation//Outlook 16.0 MIMEDIR//EN",
                     "VERSION:2.0", "METHOD:REQUEST", "BEGIN:VEVENT",
                     f'ORGANIZER;CN="{draft["from"][0]}":mailto:{draft["from"][1]}',
                     f"DTSTART:{start:%Y%m%dT%H%M%SZ}",
                     f"DTEND:{start + dt.timedelta(hours=1):%Y%m%dT%H%M%SZ}", f"DTSTAMP:{stamp}",
                     f"UID:{draft['seq']:06d}-{rng.getrandbits(48):012x}@example.com",
                     f"SUMMARY:{topic}", "LOCATION:Meeting Room 3", "END:VEVENT",
                     "END:VCALENDAR"]) + CRLF
    text = f"When: {start:%A, %d %B %Y %H:%M}-{start.hour + 1:02d}:00{CRLF}Where: Meeting Room 3{CRLF}"
    return multipart("alternative", f"----=_NextPart_002_{draft['seq']:04X}_01D5A3C3",
                     [textPart(text, "us-ascii"),
                      (['Content-Type: text/calendar; method=REQUEST; charset="utf-8"',
                        "Content-Transfer-Encoding: " + ("7bit" if ics.isascii() else "8bit")], ics.encode())])


def reportBody(draft, failedTo, subject):
    """A delivery status notification (RFC 3464) as multipart/report."""
    human = (f"Delivery has failed to these recipients or groups:{CRLF}{CRLF}{failedTo}{CRLF}"
             f"The e-mail address you entered couldn't be found.{CRLF}")
    status = (f"Reporting-MTA: dns;mx1.example.com{CRLF}{CRLF}Final-Recipient: rfc822;{failedTo}"
              f"{CRLF}Action: failed{CRLF}Status: 5.1.1{CRLF}")
    original = f"From: {OWNER[0]} <{OWNER[1]}>{CRLF}To: {failedTo}{CRLF}Subject: {subject}{CRLF}"
    return multipart("report", f"----=_NextPart_003_{draft['seq']:04X}_01D5A3C4",
                     [textPart(human, "us-ascii"),
                      (["Content-Type: message/delivery-status"], status.encode()),
                      (["Content-Type: text/rfc822-headers"], original.encode())],
                     params=" report-type=delivery-status;")


def buildMessage(rng, draft):
    """The bytes of one message from its draft (see folderPlan)."""
    headers = []
    if draft["received"]:
        headers += receivedHeaders(rng, draft["when"], draft["received"], draft["from"] == OWNER)
    headers += [f"Date: {rfc5322Date(draft['when'], draft['zone'], draft['padDay'])}",
                f"From: {mailbox(draft['from'])}",
                f"To: {draft['to']}"]
    if draft["cc"]:
        headers.append(f"Cc: {draft['cc']}")
    headers += [f"Subject: {draft['subject']}",
                f"Message-ID: <{draft['seq']:06d}.{rng.getrandbits(48):012x}@example.com>"]
    headers += draft["extra"]
    if draft["kind"] == "meeting":
        bodyHeaders, body = meetingBody(rng, draft, draft["topic"])
    elif draft["kind"] == "report":
        bodyHeaders, body = reportBody(draft, draft["failedTo"], draft["topic"])
    else:
        bodyHeaders, body = composeBody(rng, draft, draft["text"])
    return serialise(headers, bodyHeaders, body)
