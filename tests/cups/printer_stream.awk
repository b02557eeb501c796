# Walks a printer stream given as `od -An -v -tx1` output and prints one line
# per page: "page WIDTH HEIGHT key=value ...", sizes in dots ("-" where the
# stream does not state it). On a malformed stream it prints "error: ..." and
# exits with 1. Variables: lang (TSPL, CPCL, ESCPOS, PERIPAGE, PAPERANG, ZPL, EPL) and,
# for TSPL, dpi.

BEGIN {
    for (i = 0; i < 256; i++) {
        val[sprintf("%02x", i)] = i
        chr[i] = sprintf("%c", i)
    }
    n = 0
    failed = 0
}

{ for (i = 1; i <= NF; i++) b[n++] = val[$i] }

END {
    p = 0
    if (lang == "TSPL") tspl()
    else if (lang == "CPCL") cpcl()
    else if (lang == "ESCPOS") escpos()
    else if (lang == "PERIPAGE") peripage()
    else if (lang == "PAPERANG") paperang()
    else if (lang == "ZPL") zpl()
    else if (lang == "EPL") epl()
    else fail("unknown language " lang)
    exit failed
}

function fail(msg) {
    if (!failed) print "error: " msg " (at byte " p ")"
    failed = 1
    p = n + 1
}

# True when the bytes at p are the given hex bytes.
function at(hex,   parts, k, m) {
    m = split(hex, parts, " ")
    for (k = 1; k <= m; k++)
        if (p + k - 1 >= n || b[p + k - 1] != val[parts[k]]) return 0
    return 1
}

function text(len,   s, k) {
    s = ""
    for (k = 0; k < len && p + k < n; k++) s = s chr[b[p + k]]
    return s
}

# A command line up to CR LF; p moves past the CR LF.
function line(   s) {
    s = ""
    while (p < n && !(b[p] == 13 && b[p + 1] == 10)) {
        s = s chr[b[p++]]
        if (length(s) > 256) { fail("no CR LF after a command"); return s }
    }
    if (p >= n) { fail("stream ends inside a command"); return s }
    p += 2
    return s
}

# Text up to the next comma; p moves past the comma.
function field(   s) {
    s = ""
    while (p < n && b[p] != 44 && length(s) < 16) s = s chr[b[p++]]
    if (b[p] != 44) fail("bad number field")
    p++
    return s
}

function u16le(q) { return b[q] + 256 * b[q + 1] }
function u16be(q) { return 256 * b[q] + b[q + 1] }
function u32be(q) { return ((b[q] * 256 + b[q + 1]) * 256 + b[q + 2]) * 256 + b[q + 3] }

function skip(len) {
    if (p + len > n) fail("data runs past the end of the stream")
    p += len
}

# TSPL: SIZE ... CLS, BITMAP x,y,widthBytes,height,mode[,length],data CRLF,
# PRINT m,n. One block per page.
function tspl(   s, f, open, w, h, wb, rows, mode, attrs) {
    if (text(5) != "SIZE ") { fail("does not start with SIZE"); return }
    open = 0
    while (p < n) {
        if (text(7) == "BITMAP ") {
            p += 7
            field(); field()
            wb = field() + 0; rows = field() + 0; mode = field() + 0
            if (mode == 1) skip(wb * rows)
            else if (mode == 3) { skip(field() + 0); attrs = attrs " zlib=1" }
            else { fail("BITMAP mode " mode); return }
            if (!at("0d 0a")) { fail("no CR LF after the BITMAP data"); return }
            p += 2
            continue
        }
        s = line()
        if (failed) return
        if (s ~ /^SIZE /) {
            if (open) { fail("SIZE inside a page"); return }
            sub(/^SIZE /, "", s); gsub(/ mm/, "", s); split(s, f, ",")
            w = int(f[1] * dpi / 25.4 + 0.5); h = int(f[2] * dpi / 25.4 + 0.5)
            open = 1; wb = -1; rows = -1; attrs = ""
        } else if (s ~ /^(GAP|BLINE) /) {
            gsub(/ mm/, "", s); sub(/ /, "-", s); sub(/,/, "-", s)
            attrs = attrs " sensing=" s
        } else if (s ~ /^DENSITY /) attrs = attrs " density=" substr(s, 9)
        else if (s ~ /^SPEED /) attrs = attrs " speed=" substr(s, 7)
        else if (s ~ /^SET RIBBON /) attrs = attrs " ribbon=" substr(s, 12)
        else if (s ~ /^PRINT /) {
            if (!open) { fail("PRINT without SIZE"); return }
            if (rows < 0) { fail("page without BITMAP"); return }
            if (rows != h || wb * 8 < w) { fail("BITMAP " wb * 8 "x" rows " does not cover SIZE " w "x" h); return }
            print "page " w " " h " print=" substr(s, 7) attrs
            open = 0
        }
    }
    if (open) fail("page without PRINT")
}

# CPCL: "! offset 200 200 height 1", PAGE-WIDTH, CG widthBytes height 0 0
# with the data straight after, optional FORM, PRINT.
function cpcl(   s, f, open, w, h, cgw, cgh, form, offset) {
    if (text(2) != "! ") { fail("does not start with a ! header"); return }
    open = 0
    while (p < n) {
        s = line()
        if (failed) return
        if (s ~ /^! /) {
            split(s, f, " ")
            if (f[3] != "200" || f[4] != "200" || f[6] != "1") { fail("bad header '" s "'"); return }
            offset = f[2]; h = f[5] + 0; w = -1; cgh = -1; form = 0; open = 1
        } else if (s ~ /^PAGE-WIDTH /) w = substr(s, 12) + 0
        else if (s ~ /^CG /) {
            split(s, f, " ")
            cgw = f[2] + 0; cgh = f[3] + 0
            skip(cgw * cgh)
        } else if (s == "FORM") form = 1
        else if (s == "PRINT") {
            if (!open || w < 0 || cgh < 0) { fail("incomplete page"); return }
            if (cgh != h || cgw * 8 < w) { fail("CG " cgw * 8 "x" cgh " does not cover the page " w "x" h); return }
            print "page " w " " h " form=" form " offset=" offset
            open = 0
        }
    }
    if (open) fail("page without PRINT")
}

# ESC/POS: a page starts with ESC @ 0 and carries GS v 0 images, feeds
# (ESC J), cuts (GS V) and drawer pulses (ESC p).
function escpos(   open, w, h, feed, cut, wb, rows) {
    if (!at("1b 40 00") && !at("1b 70")) { fail("does not start with ESC @"); return }
    open = 0
    while (p < n) {
        if (at("1b 40 00")) {
            if (open) escpos_page(w, h, feed, cut)
            open = 1; w = -1; h = 0; feed = 0; cut = "none"; p += 3
        } else if (at("1b 61")) p += 3
        else if (at("1d 76 30")) {
            if (!open) { fail("image before ESC @"); return }
            wb = u16le(p + 4); rows = u16le(p + 6)
            p += 8; skip(wb * rows)
            if (w >= 0 && w != wb * 8) { fail("bands of different widths"); return }
            w = wb * 8; h += rows
        } else if (at("1b 4a")) { feed += b[p + 2]; p += 3 }
        else if (at("1d 56")) { cut = b[p + 2] == 48 ? "full" : "partial"; p += 3 }
        else if (at("1b 70")) p += 5
        else { fail(sprintf("unexpected byte %02x", b[p])); return }
    }
    if (open) escpos_page(w, h, feed, cut)
}

function escpos_page(w, h, feed, cut) {
    if (w < 0) fail("page without image")
    else print "page " w " " h " feed=" feed " cut=" cut
}

# PeriPage: 10 FF FE 01 ... 10 FF FE 45 per page, with GS v 0 or the
# deflate image 1F 00 wH wL hH hL L3 L2 L1 L0.
function peripage(   open, w, h, media, density, feed, ff, cutline, z, wb, rows) {
    if (!at("10 ff fe 01")) { fail("does not start with 10 FF FE 01"); return }
    open = 0
    while (p < n) {
        if (at("10 ff fe 01")) {
            if (open) { fail("page not ended"); return }
            open = 1; w = -1; h = 0; media = "none"; density = "none"
            feed = 0; ff = 0; cutline = 0; z = 0; p += 4
        } else if (at("10 ff 10 03")) { media = b[p + 4]; p += 5 }
        else if (at("10 ff 10 00")) { density = b[p + 4]; p += 5 }
        else if (at("1b 40 00")) p += 3
        else if (at("1b 61")) p += 3
        else if (at("1b 4a")) { feed += b[p + 2]; p += 3 }
        else if (at("1d 76 30")) {
            wb = u16le(p + 4); rows = u16le(p + 6)
            p += 8; skip(wb * rows)
            w = wb * 8; h += rows
        } else if (at("1f 00")) {
            wb = u16be(p + 2); rows = u16be(p + 4)
            skip(10 + u32be(p + 6))
            w = wb * 8; h += rows; z = 1
        } else if (at("1d 0c")) { ff = 1; p += 2 }
        else if (at("10 50")) { cutline = 1; p += 2 }
        else if (at("10 ff fe 45")) {
            p += 4
            if (!open || w < 0) { fail("page without image"); return }
            print "page " w " " h " media=" media " density=" density " feed=" feed " ff=" ff " cutline=" cutline " z=" z
            open = 0
        } else { fail(sprintf("unexpected byte %02x", b[p])); return }
    }
    if (open) fail("page without end command")
}

# Paperang: packets A5 01 L(2) block(L) crc(4) 5A; block 05 cmd 03 M(2)
# params. A page: begin 0x19, tree 0x1C, bitmaps 0x1B, end 0x1A, then
# paper locate 0x21 or feed 0x16.
function paperang(   open, q, len, cmd, w, chunks, tree, ended, after) {
    open = 0
    while (p < n) {
        if (!at("a5 01")) { fail("no packet start"); return }
        len = u16le(p + 2); q = p + 4
        if (q + len + 4 >= n || b[q + len + 4] != 90) { fail("no packet end byte"); return }
        if (b[q] != 5 || b[q + 2] != 3 || u16le(q + 3) + 5 != len) { fail("bad command block"); return }
        cmd = b[q + 1]
        if (cmd == 25) {
            if (open) paperang_page(w, chunks, tree, ended, after)
            open = 1; w = -1; chunks = 0; tree = 0; ended = 0; after = "none"
        } else if (!open) { fail("packet before the begin packet"); return }
        else if (cmd == 28) tree = 1
        else if (cmd == 27) {
            if (u16le(q + 5) != chunks % 65536) { fail("chunk index out of order"); return }
            w = u16le(q + 10) * 8; chunks++
        } else if (cmd == 26) ended = 1
        else if (cmd == 33) after = "locate"
        else if (cmd == 22) after = "feed"
        p = q + len + 5
    }
    if (open) paperang_page(w, chunks, tree, ended, after)
}

function paperang_page(w, chunks, tree, ended, after) {
    if (!tree || !ended || chunks == 0) fail("page without tree, bitmap or end packet")
    else print "page " w " - chunks=" chunks " after=" after
}

# ZPL: ^XA ... ^XZ per page with ^PW, ^LL and one ^GFA field whose rows
# cover the label; data in hex or Z64.
function zpl(   name, s, open, w, h, f, wb, rows, attrs) {
    open = 0
    while (p < n) {
        if (b[p] == 10 || b[p] == 13) { p++; continue }
        if (b[p] != 94 && b[p] != 126) { fail(sprintf("unexpected byte %02x", b[p])); return }
        name = text(3); p += 3
        if (name == "^GF") {
            if (field() != "A") { fail("not an ASCII graphic field"); return }
            field(); rows = field() + 0; wb = field() + 0
            rows = wb > 0 ? rows / wb : -1
            attrs = attrs (text(5) == ":Z64:" ? " data=z64" : " data=hex")
        }
        s = ""
        while (p < n && b[p] != 94 && b[p] != 126) {
            if (name != "^GF" && b[p] != 10 && b[p] != 13) s = s chr[b[p]]
            p++
        }
        if (name == "^XA") {
            if (open) { fail("^XA inside a format"); return }
            open = 1; w = -1; h = -1; rows = -1; attrs = ""
        } else if (!open) { fail(name " outside a format"); return }
        else if (name == "^PW") w = s + 0
        else if (name == "^LL") h = s + 0
        else if (name == "^MN") attrs = attrs " tracking=" s
        else if (name == "^MT") attrs = attrs " media=" s
        else if (name == "~SD") attrs = attrs " darkness=" (s + 0)
        else if (name == "^PR") attrs = attrs " speed=" s
        else if (name == "^XZ") {
            if (w < 0 || h < 0 || rows < 0) { fail("format without ^PW, ^LL or ^GF"); return }
            if (rows != h || wb * 8 < w) { fail("field " wb * 8 "x" rows " does not cover " w "x" h); return }
            print "page " w " " h attrs
            open = 0
        }
    }
    if (open) fail("format without ^XZ")
}

# A command line up to LF; p moves past the LF.
function lfline(   s) {
    s = ""
    while (p < n && b[p] != 10) {
        s = s chr[b[p++]]
        if (length(s) > 256) { fail("no LF after a command"); return s }
    }
    if (p >= n) { fail("stream ends inside a command"); return s }
    p++
    return s
}

# EPL2: N, q<width>, Q<length>,<gap>, D, S, GW bands with binary rows, P.
function epl(   s, f, open, w, h, rows, attrs) {
    open = 0
    while (p < n) {
        if (b[p] == 10) { p++; continue }
        if (text(2) == "GW") {
            p += 2; s = lfline(); split(s, f, ",")
            if (f[3] * 8 < w || f[2] + f[4] > h) { fail("GW band beyond the label"); return }
            skip(f[3] * f[4]); rows += f[4]
            continue
        }
        s = lfline()
        if (failed) return
        if (s == "N") { open = 1; w = -1; h = -1; rows = 0; attrs = "" }
        else if (!open) { fail("command before N"); return }
        else if (s ~ /^q/) w = substr(s, 2) + 0
        else if (s ~ /^Q/) { split(substr(s, 2), f, ","); h = f[1] + 0; attrs = attrs " media=" f[2] }
        else if (s ~ /^D/) attrs = attrs " density=" substr(s, 2)
        else if (s ~ /^S/) attrs = attrs " speed=" substr(s, 2)
        else if (s ~ /^P/) {
            if (w < 0 || h < 0) { fail("label without q or Q"); return }
            print "page " w " " h " bands=" (rows > 0) attrs
            open = 0
        }
    }
    if (open) fail("label without P")
}
