; Works the core a little and prints what it found, in hexadecimal:
; the sum 1 + 2 + ... + 100 (13BA), a block copied with LDIR, the low byte of
; 7 * 9 made by shifts and adds (3F) through IX, and a CP/M program's usual
; SP set-up from the BDOS address at 0006.
bdos        equ 0005h
consoleOut  equ 2
printString equ 9

            org 0100h
            ld hl, (0006h)
            ld sp, hl
            ld hl, 0
            ld de, 1
            ld b, 100
sum:        add hl, de
            inc de
            djnz sum
            call printHexWord

            ld hl, source
            ld de, copy
            ld bc, sourceEnd - source
            ldir
            ld de, copy
            ld c, printString
            call bdos

            ld ix, factors
            ld a, (ix+0)
            ld b, (ix+1)
            ld c, 0
multiply:   srl b
            jr nc, skip
            push af
            add a, c
            ld c, a
            pop af
skip:       sla a
            inc b
            dec b
            jr nz, multiply
            ld a, c
            call printHexByte
            rst 0

; Prints HL as four hexadecimal digits.
printHexWord:
            ld a, h
            call printHexByte
            ld a, l
; Prints A as two hexadecimal digits.
printHexByte:
            push af
            rrca
            rrca
            rrca
            rrca
            call printNibble
            pop af
printNibble:
            and 0Fh
            add a, 90h
            daa
            adc a, 40h
            daa
            ld e, a
            ld c, consoleOut
            push hl
            call bdos
            pop hl
            ret

factors:    db 7, 9
source:     db ' copied', 13, 10, '$'
sourceEnd:
copy:       ds 16
