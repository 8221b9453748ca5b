import struct, zlib, sys
def read_bmp(p):
    b=open(p,'rb').read()
    off=struct.unpack_from('<I',b,10)[0]
    hs,w,h,pl,bpp=struct.unpack_from('<IiiHH',b,14)
    ncol=struct.unpack_from('<I',b,46)[0] or 256
    pal=[b[14+hs+4*i:14+hs+4*i+3][::-1] for i in range(ncol)]
    stride=(w*bpp//8+3)&~3
    rows=[]
    for y in range(abs(h)):
        sy = abs(h)-1-y if h>0 else y
        r=b[off+sy*stride:off+sy*stride+w]
        rows.append(b''.join(pal[c] for c in r))
    return w,abs(h),rows
def write_png(p,w,h,rows,scale=1):
    raw=b''.join(b'\0'+r for r in rows)
    def ch(t,d): return struct.pack('>I',len(d))+t+d+struct.pack('>I',zlib.crc32(t+d)&0xffffffff)
    png=b'\x89PNG\r\n\x1a\n'+ch(b'IHDR',struct.pack('>IIBBBBB',w,h,8,2,0,0,0))+ch(b'IDAT',zlib.compress(raw))+ch(b'IEND',b'')
    open(p,'wb').write(png)
def half(w,h,rows):
    out=[]
    for y in range(0,h,2):
        r=rows[y]; out.append(b''.join(r[x*3:x*3+3] for x in range(0,w,2)))
    return w//2,h//2,out
def grid(files,outp,cols=2):
    imgs=[half(*read_bmp(f)) for f in files]
    w,h=imgs[0][0],imgs[0][1]
    rowsN=(len(imgs)+cols-1)//cols
    out=[]
    for R in range(rowsN):
        for y in range(h):
            line=b''
            for C in range(cols):
                i=R*cols+C
                line+= imgs[i][2][y] if i<len(imgs) else b'\0'*(w*3)
            out.append(line)
    write_png(outp,w*cols,h*rowsN,out)
files=sys.argv[2:]
grid(files,sys.argv[1])
