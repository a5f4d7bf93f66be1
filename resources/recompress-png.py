#!/usr/bin/env python3
# Packs a PNG's image data tighter with zopfli: the same filtered rows, so the same pixels, colour
# type and bit depth, in fewer bytes. resources/recompress-png.py IN OUT (OUT keeps IN's bytes when
# zopfli does not do better). Needs Debian's zopfli.
import struct, zlib, subprocess, sys, os, tempfile
def chunks(d):
    i=8
    while i < len(d):
        n=struct.unpack('>I', d[i:i+4])[0]; t=d[i+4:i+8]; yield t, d[i+8:i+8+n]; i+=12+n
def chunk(t, body):
    return struct.pack('>I', len(body)) + t + body + struct.pack('>I', zlib.crc32(t+body) & 0xffffffff)
src, dst = sys.argv[1], sys.argv[2]
d=open(src,'rb').read()
cs=list(chunks(d))
raw=zlib.decompress(b''.join(b for t,b in cs if t==b'IDAT'))
with tempfile.NamedTemporaryFile(delete=False) as f: f.write(raw); name=f.name
subprocess.run(['zopfli','--zlib','--i25',name],check=True)
z=open(name+'.zlib','rb').read(); os.unlink(name); os.unlink(name+'.zlib')
assert zlib.decompress(z)==raw
out=d[:8]; done=False
for t,b in cs:
    if t==b'IDAT':
        if not done: out+=chunk(b'IDAT', z); done=True
    else: out+=chunk(t,b)
open(dst,'wb').write(out if len(out) < len(d) else d)
