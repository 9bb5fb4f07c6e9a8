; ---------------------------------------------------------------------------
; Memory commands: DU, EN, MO, TE. Each is entered with A = the count of
; numbers given and HL, DE, BC = the numbers.
; ---------------------------------------------------------------------------

; DU a1 [a2]: show memory from a1 to a2 (or the one byte at a1), 8 bytes a
; line: the address, the bytes in hex and the bytes as characters (a '.' for
; codes that are not ASCII characters).
CMD_DUMP:
        cp 2
        jr z,DU_CHECK
        ld d,h
        ld e,l
DU_CHECK:
        call CHECKORDER
        jp c,ERRMARK
        ld (iy+ARG2),e          ; the last address
        ld (iy+ARG2+1),d
        call CRLF
DU_LINE:
        ld e,(iy+ARG2)
        ld d,(iy+ARG2+1)
        ex de,hl
        or a
        sbc hl,de
        ex de,hl                ; HL = this line's address, DE = bytes after it
        ld bc,0800h             ; B = 8 bytes, C = 0: more lines to come
        ld a,d
        or a
        jr nz,DU_PRINT
        ld a,e
        cp 8
        jr nc,DU_PRINT
        inc a
        ld b,a
        ld c,1                  ; the last line
DU_PRINT:
        call DUMPLINE
        dec c
        ret z
        call BREAKCHK
        jr DU_LINE

; DUMPLINE: one line of B (1-8) bytes from HL; out: HL after them. Uses AF.
DUMPLINE:
        call PRWORD
        call PRSPACE
        call PRSPACE
        push bc
        push hl
DL_HEX:
        ld a,(hl)
        call PRHEX
        call PRSPACE
        inc hl
        djnz DL_HEX
        pop hl
        pop bc
        push bc
        ld a,8                  ; keep the character column in line
        sub b
        jr z,DL_GAP
        ld b,a
DL_PAD:
        call PRSPACE
        call PRSPACE
        call PRSPACE
        djnz DL_PAD
DL_GAP:
        call PRSPACE
        pop bc
        push bc
DL_CHAR:
        ld a,(hl)
        call VISIBLE
        call OUTCHAR
        inc hl
        djnz DL_CHAR
        pop bc
        jp CRLF

; VISIBLE: A as it shows in a dump: ASCII characters as they are, '.' for
; anything else. Uses AF.
VISIBLE:
        cp ' '
        jr c,VI_DOT
        cp RUBOUT
        ret c
VI_DOT:
        ld a,'.'
        ret

; EN a: enter bytes from a. Each line starts with the address; type hex
; bytes and RETURN to go on with the next line, or '/' (then RETURN) to end.
; A line with a mistake stores nothing: it is marked and asked for again.
; CTRL-C or RUN/STOP also ends.
CMD_ENTER:
        call CRLF
EN_LINE:
        call PRWORD
        ld a,':'
        call OUTCHAR
        call PRSPACE
        push hl
        call GETLINE
        pop bc                  ; BC = the address
        jp c,MAINLOOP           ; abandoned
        ld (iy+PASS),0          ; first look the line over...
        push hl
        push bc
        call EN_BYTES
        pop bc
        pop hl
        jr c,EN_BAD
        ld (iy+PASS),1          ; ...then store its bytes
        call EN_BYTES
        ld h,b
        ld l,c
        cp '/'
        jp z,CRLF
        call CRLF
        jr EN_LINE
EN_BAD:
        ld h,b
        ld l,c
        call PRINTERR
        call CRLF
        jr EN_LINE

; EN_BYTES: the hex bytes of the text at HL, for address BC; stored only
; when PASS is 1. Out: carry for a mistake, else A = '/' or 0Dh (what ended
; the list) and BC after the last byte. Uses AF, BC, DE, HL.
EN_BYTES:
        call SKIPDELIM
        cp CR
        ret z
        cp '/'
        ret z
        call GETHEX
        ret c
        ld a,d
        or a
        scf
        ret nz                  ; more than a byte
        ld a,(iy+PASS)
        or a
        jr z,EB_NEXT
        ld a,e
        ld (bc),a
EB_NEXT:
        inc bc
        jr EN_BYTES

; MO a1 a2 a3: copy the bytes a1..a2 to a3. When the copy overlaps its
; source from above, it runs from the top down so that nothing is
; overwritten before it has been copied.
CMD_MOVE:
        call CHECKORDER
        jp c,ERRMARK
        push bc                 ; a3
        push hl                 ; a1
        ex de,hl
        or a
        sbc hl,de
        inc hl                  ; HL = bytes to copy
        ld a,h
        or l
        jp z,ERRMARK            ; all 64K: there is nowhere to put it
        ld b,h
        ld c,l
        pop hl                  ; a1
        pop de                  ; a3
        push hl
        push de
        ex de,hl
        or a
        sbc hl,de               ; a3 - a1, modulo 64K
        or a
        sbc hl,bc               ; carry: a3 lies inside the source, above a1
        pop de
        pop hl
        jr c,MO_DOWN
        ldir
        ret
MO_DOWN:
        add hl,bc
        dec hl                  ; the last source byte
        ex de,hl
        add hl,bc
        dec hl                  ; the last destination byte
        ex de,hl
        lddr
        ret

; TE a1 a2: test the RAM from a1 to a2 without changing it: each byte is
; written with 00, FF, 55 and AA and read back, then given its old value.
; Every address that fails is listed ("BAD aaaa"); the end says "RAM OK" or
; the number of bad bytes.
CMD_TEST:
        call CHECKORDER
        jp c,ERRMARK
        call CRLF
        ld (iy+FAULTS),0
        ld (iy+FAULTS+1),0
TE_BYTE:
        ld c,(hl)               ; the old value
        ld a,00h
        ld (hl),a
        cp (hl)
        jr nz,TE_BAD
        ld a,0FFh
        ld (hl),a
        cp (hl)
        jr nz,TE_BAD
        ld a,55h
        ld (hl),a
        cp (hl)
        jr nz,TE_BAD
        ld a,0AAh
        ld (hl),a
        cp (hl)
        jr nz,TE_BAD
        ld (hl),c
TE_NEXT:
        ld a,l
        cp e
        jr nz,TE_STEP
        ld a,h
        cp d
        jr z,TE_END
TE_STEP:
        inc hl
        ld a,l
        or a
        call z,BREAKCHK         ; every 256 bytes
        jr TE_BYTE
TE_BAD:
        ld (hl),c
        push hl
        ld hl,MSG_BAD
        call PRINTS
        pop hl
        call PRWORD
        call CRLF
        push hl
        ld l,(iy+FAULTS)
        ld h,(iy+FAULTS+1)
        inc hl
        ld (iy+FAULTS),l
        ld (iy+FAULTS+1),h
        pop hl
        call BREAKCHK
        jr TE_NEXT
TE_END:
        ld l,(iy+FAULTS)
        ld h,(iy+FAULTS+1)
        ld a,h
        or l
        jr nz,TE_FAULTS
        ld hl,MSG_RAMOK
        jp PRINTS
TE_FAULTS:
        push hl
        ld hl,MSG_FAULTS
        call PRINTS
        pop hl
        call PRWORD
        jp CRLF
