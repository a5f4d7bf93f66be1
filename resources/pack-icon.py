#!/usr/bin/env python3
# Stores every image of an icon as a PNG packed by zopflipng (Windows reads PNG images in icons
# since Vista), keeping an entry as it is where that is not smaller: resources/pack-icon.py IN OUT.
import struct, zlib, subprocess, sys
src, dst = sys.argv[1], sys.argv[2]
d=open(src,'rb').read()
n=struct.unpack('<HHH',d[:6])[2]
entries=[]
for i in range(n):
    w,h,c,r,planes,bpp,size,off=struct.unpack('<BBBBHHII',d[6+16*i:22+16*i])
    img=d[off:off+size]
    if img[:4] != b'\x89PNG':
        hs,bw,bh,_,bits=struct.unpack('<IiiHH',img[:16]); assert bits==32
        W=bw; H=bh//2; px=img[hs:hs+W*H*4]
        rows=[]
        for y in range(H):
            row=px[(H-1-y)*W*4:(H-y)*W*4]
            rgba=bytearray()
            for x in range(W):
                b,g,r_,a=row[4*x:4*x+4]; rgba+=bytes((r_,g,b,a))
            rows.append(b'\x00'+bytes(rgba))
        raw=b''.join(rows)
        def chunk(t,b): return struct.pack('>I',len(b))+t+b+struct.pack('>I',zlib.crc32(t+b)&0xffffffff)
        png=b'\x89PNG\r\n\x1a\n'+chunk(b'IHDR',struct.pack('>IIBBBBB',W,H,8,6,0,0,0))+chunk(b'IDAT',zlib.compress(raw,9))+chunk(b'IEND',b'')
        open('/tmp/ico_e.png','wb').write(png)
        subprocess.run(['zopflipng','-y','/tmp/ico_e.png','/tmp/ico_z.png'],check=True,capture_output=True)
        png2=open('/tmp/ico_z.png','rb').read()
        if len(png2) < len(img): img=png2
    else:
        open('/tmp/ico_e.png','wb').write(img)
        subprocess.run(['zopflipng','-y','/tmp/ico_e.png','/tmp/ico_z.png'],check=True,capture_output=True)
        png2=open('/tmp/ico_z.png','rb').read()
        if len(png2) < len(img): img=png2
    entries.append((w,h,c,r,planes,bpp,img))
out=struct.pack('<HHH',0,1,len(entries)); off=6+16*len(entries); body=b''
for w,h,c,r,planes,bpp,img in entries:
    out+=struct.pack('<BBBBHHII',w,h,c,r,planes,bpp,len(img),off+len(body)); body+=img
open(dst,'wb').write(out+body); 
