"""Reader of PC screen fonts (PSF 1 and 2) with their Unicode tables."""
import gzip, glob, struct, sys
def load(path):
    d = gzip.open(path).read()
    if d[:2] == b'\x36\x04':
        mode, h = d[2], d[3]
        n = 512 if mode & 1 else 256
        w = 8; off = 4; bpg = h
        glyphs = [d[off+i*h: off+(i+1)*h] for i in range(n)]
        uni = {}
        if mode & 2:
            p = off + n*h
            for i in range(n):
                while True:
                    (u,) = struct.unpack('<H', d[p:p+2]); p += 2
                    if u == 0xFFFF: break
                    if u == 0xFFFE: continue
                    uni.setdefault(u, i)
        return w, h, glyphs, uni
    else:
        magic, ver, hs, flags, n, bpg, h, w = struct.unpack('<IIIIIIII', d[:32])
        glyphs = [d[hs+i*bpg: hs+(i+1)*bpg] for i in range(n)]
        uni = {}
        if flags & 1:
            p = hs + n*bpg
            i = 0
            while i < n and p < len(d):
                # utf-8 sequences separated by 0xFF
                e = d.index(b'\xff', p)
                seq = d[p:e]; p = e+1
                for part in seq.split(b'\xfe')[:1]:
                    s = part.decode('utf-8', 'replace')
                    for ch in s: uni.setdefault(ord(ch), i)
                i += 1
        return w, h, glyphs, uni
