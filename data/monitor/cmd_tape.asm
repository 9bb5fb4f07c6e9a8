; ---------------------------------------------------------------------------
; The tape commands SA, LO, LOG and FI, and the tape byte routines.
;
; The tape reaches the machine through a UART (data on port FC, status on
; port FD); port FE, besides the keyboard row, carries the motors of tape
; units 1 and 2 (bits 4 and 5) and the speed (bit 6 set: 1200 baud). The
; monitor keeps those three bits in TAPELATCH and the keyboard scan ORs them
; into every row it selects.
;
; A file on tape:
;   a leader of 00 bytes ending in 01;
;   the 16-byte header and its check byte: name (5 characters, padded with
;   spaces), 55h, file type, length, load address, go address (each low
;   byte first), three 00 bytes;
;   the data in blocks of 256 bytes (the last one shorter), each followed by
;   its check byte.
; The check byte of a block of n bytes makes the bytes, the check byte and n
; add up to 0 (modulo 256). A file of type D8 is not run by LOG.
; ---------------------------------------------------------------------------

LEADER300       EQU 80          ; leader bytes: about 3 seconds at 300 baud...
LEADER1200      EQU 320         ; ...and at 1200 baud
LEADERMIN       EQU 8           ; 00 bytes a leader needs before its 01
TRAILER         EQU 4           ; 00 bytes after a file, so its end is out
                                ; of the UART before the motor stops
HEADERSIZE      EQU 16
NORUNTYPE       EQU 0D8h        ; file type that LOG does not run

; SA name a1 a2 [unit]: save a1..a2 under the name (1-5 characters) with the
; go address of SE X= (a1 when there was none) and the type of SE F= (00 when
; there was none); both count for this one SA. Unit 1 unless 2 is given.
CMD_SAVE:
        call NAMEARGS
        jr c,SA_BAD
        cp 2
        jr c,SA_BAD             ; no a2
        push de                 ; the name
        ld l,(iy+ARG3)
        ld h,(iy+ARG3+1)
        call SETUNIT
        pop bc                  ; BC = the name
        jr c,SA_BAD
        ld l,(iy+ARG1)
        ld h,(iy+ARG1+1)
        ld e,(iy+ARG2)
        ld d,(iy+ARG2+1)
        call CHECKORDER
        jr c,SA_BAD
        push hl                 ; a1
        ex de,hl
        sbc hl,de               ; a2 - a1 (CHECKORDER left carry clear)
        inc hl                  ; the length
        ld a,h
        or l
        jr nz,SA_HEADER
SA_BAD:
        jp ERRMARK              ; no name, bad numbers, or all 64K
SA_HEADER:
        ld d,b                  ; the header, at the start of the work area
        ld e,c
        push hl
        call COPYNAME           ; HL = the header's byte 5
        pop bc                  ; BC = the length
        pop de                  ; DE = a1
        ld (hl),55h
        inc hl
        ld a,(iy+TAPETYPE)
        ld (hl),a
        inc hl
        call PUTWORD            ; the length
        ld b,d
        ld c,e
        call PUTWORD            ; the load address
        bit 0,(iy+TAPEGOSET)
        jr z,SA_GO
        ld c,(iy+TAPEGO)
        ld b,(iy+TAPEGO+1)
SA_GO:
        call PUTWORD            ; the go address
        xor a
        ld (hl),a
        inc hl
        ld (hl),a
        inc hl
        ld (hl),a
        ld (iy+TAPEGOSET),a     ; SE X= and F= are used up
        ld (iy+TAPETYPE),a
        call CRLF
        push iy
        pop hl
        push hl
        call PRINTHEADER
        ld bc,LEADER300
        bit 6,(iy+TAPELATCH)
        jr z,SA_LEADER
        ld bc,LEADER1200
SA_LEADER:
        call SENDZEROS
        ld a,1
        call TAPEOUT
        pop hl                  ; the header
        ld b,HEADERSIZE
        call WRITEBLOCK
        ld e,(iy+HDR_LENGTH)
        ld d,(iy+HDR_LENGTH+1)
        ld l,(iy+HDR_LOAD)
        ld h,(iy+HDR_LOAD+1)
SA_BLOCK:
        call NEXTBLOCK
        jr z,SA_END
        call WRITEBLOCK
        jr SA_BLOCK
SA_END:
        ld bc,TRAILER
        call SENDZEROS
        jp MOTOROFF

; PUTWORD: store BC at HL, low byte first; out: HL after it. Uses HL.
PUTWORD:
        ld (hl),c
        inc hl
        ld (hl),b
        inc hl
        ret

; SENDZEROS: send BC 00 bytes. Uses AF, BC.
SENDZEROS:
        xor a
        call TAPEOUT
        dec bc
        ld a,b
        or c
        jr nz,SENDZEROS
        ret

; WRITEBLOCK: send the B bytes at HL (0 = 256) and their check byte; out: HL
; after them. Uses AF, BC, HL.
WRITEBLOCK:
        ld c,b                  ; the sum starts at n
WB_BYTE:
        ld a,(hl)
        call TAPEOUT
        add a,c
        ld c,a
        inc hl
        djnz WB_BYTE
        ld a,c
        neg
        jp TAPEOUT

; NEXTBLOCK: the next block of the DE bytes still to go: B = its size (0 =
; 256), DE less it; Z when there is none left. Uses AF, B, DE.
NEXTBLOCK:
        ld a,d
        or e
        ret z
        ld b,0
        ld a,d
        dec d
        or a
        ret nz                  ; a whole block
        inc d                   ; D was 0: the last, shorter block
        ld b,e
        ld e,a
        inc a                   ; NZ
        ret

; LO [name] [unit], LOG [name] [unit]: load the file of that name (or the
; first file) from tape to its load address; LOG then calls it at its go
; address unless its type is D8. A lone 1 or 2 is the unit, not a name.
; Every header met on the way is shown, as FI shows it.
CMD_LOAD:
        ld c,0                  ; mode 0: LO
        ld a,(hl)
        call UPPER
        cp 'G'
        jr nz,LO_ARGS
        inc hl
        ld a,(hl)
        call ISDELIM
        dec hl
        jr nz,LO_ARGS           ; a name that begins with G
        inc hl
        inc c                   ; mode 1: LOG
LO_ARGS:
        ld (iy+TAPEMODE),c
        ld (iy+LINEBUF),CR      ; no name, as yet
        push hl
        call GETARGS
        pop de
        jr c,LO_NAME
        or a
        jr z,LO_UNIT            ; nothing given: unit 1
        dec a
        jr nz,LO_NAME
        call ARG1UNIT           ; just a 1 or a 2?
        jr nc,TAPEFIND
LO_NAME:
        ex de,hl
        call NAMEARGS
        jr c,LO_BAD
        cp 2
        jr nc,LO_BAD            ; more than a unit after the name
        call COPYNAME
LO_UNIT:
        call ARG1UNIT
        jr nc,TAPEFIND
LO_BAD:
        jp ERRMARK

; FI [unit]: list the files on the tape as it plays (name, type, length,
; load address, go address) until CTRL-C or RUN/STOP.
CMD_FILES:
        call SETUNIT
        jr c,LO_BAD
        ld (iy+TAPEMODE),2      ; mode 2: FI

; TAPEFIND: read headers from the tape, showing each; load the file asked
; for (LO, LOG) and skip the others. The motor stops when it is loaded.
TAPEFIND:
        call CRLF
TF_FILE:
        ld b,LEADERMIN
TF_LEADER:
        call TAPEIN             ; a run of 00 bytes, then 01
        or a
        jr nz,TF_NOTZERO
        or b
        jr z,TF_LEADER
        dec b
        jr TF_LEADER
TF_NOTZERO:
        dec a
        jr nz,TF_FILE
        or b
        jr nz,TF_FILE           ; too few 00 bytes before it
        ld (iy+TAPESKIP),a
        push iy
        pop hl
        ld de,HEADERBUF
        add hl,de
        push hl
        ld b,HEADERSIZE
        call READBLOCK
        pop hl
        jr nz,TAPEERROR
        push hl
        call PRINTHEADER
        pop hl
        ld a,(iy+TAPEMODE)
        cp 2
        jr z,TF_SKIP            ; FI loads nothing
        ld a,(iy+LINEBUF)
        cp CR
        jr z,TF_LOAD            ; LO without a name: the first file
        push iy
        pop de
        push hl
        ld b,5
TF_NAME:
        ld a,(de)
        cp (hl)
        inc de
        inc hl
        jr nz,TF_OTHER
        djnz TF_NAME
TF_OTHER:
        pop hl
        jr z,TF_LOAD
TF_SKIP:
        inc (iy+TAPESKIP)
TF_LOAD:
        ld de,HDR_LENGTH
        add hl,de
        ld e,(hl)
        inc hl
        ld d,(hl)
        inc hl
        ld a,(hl)
        inc hl
        ld h,(hl)
        ld l,a                  ; HL = the load address, DE = the length
TF_BLOCK:
        call NEXTBLOCK
        jr z,TF_DONE
        call READBLOCK
        jr z,TF_BLOCK
        bit 0,(iy+TAPESKIP)
        jr z,TAPEERROR
TF_DONE:
        bit 0,(iy+TAPESKIP)
        jr nz,TF_FILE           ; skipped: on to the next file
        call MOTOROFF
        dec (iy+TAPEMODE)
        ret nz                  ; LO
        ld a,(iy+HEADERBUF+HDR_TYPE)
        cp NORUNTYPE
        ret z
        ld l,(iy+HEADERBUF+HDR_GO)
        ld h,(iy+HEADERBUF+HDR_GO+1)
        jp GO_RUN

; TAPEERROR: a check byte was wrong: the message, the bell, the prompt.
TAPEERROR:
        ld hl,MSG_TAPEERR
        jp QUIT                 ; the prompt stops the motor

; READBLOCK: read B bytes (0 = 256) and their check byte from the tape into
; HL (or only count them when TAPESKIP is set); out: HL after them, Z when
; the check byte is right. Uses AF, BC, HL.
READBLOCK:
        ld c,b                  ; the sum starts at n
RB_BYTE:
        call TAPEIN
        bit 0,(iy+TAPESKIP)
        jr nz,RB_SUM
        ld (hl),a
RB_SUM:
        inc hl
        add a,c
        ld c,a
        djnz RB_BYTE
        call TAPEIN
        add a,c
        ret

; PRINTHEADER: one line for the header at HL: name, type, length, load
; address and go address. Uses AF, B, DE, HL.
PRINTHEADER:
        ld b,5
PH_NAME:
        ld a,(hl)
        call VISIBLE
        call OUTCHAR
        inc hl
        djnz PH_NAME
        inc hl                  ; past the 55h
        call PRSPACE
        ld a,(hl)
        call PRHEX
        ld b,3
PH_WORD:
        call PRSPACE
        inc hl
        ld e,(hl)
        inc hl
        ld d,(hl)
        ex de,hl
        call PRWORD
        ex de,hl
        djnz PH_WORD
        jp CRLF

; NAMEARGS: a file name (the first word, 1-5 characters) and up to three
; numbers after it, at HL. Out: DE = the name, A = how many numbers (in
; ARG1-ARG3); carry when there is no name, it is too long or the rest is not
; numbers. Uses AF, DE, HL.
NAMEARGS:
        call SKIPDELIM
        push hl
        call SKIPWORD
        ld a,l
        pop de
        sub e
        dec a
        cp 5
        ccf
        ret c
        push de
        call GETARGS
        pop de
        ret

; COPYNAME: the name at DE, padded with spaces to 5 characters, to the start
; of the work area (where the header is made up); out: HL after it. Safe
; because the name comes from further on in the command line, which has
; been read by then. Uses AF, B, DE, HL.
COPYNAME:
        push iy
        pop hl
        ld b,5
CN_CHAR:
        ld a,(de)
        inc de
        call ISDELIM
        jr nz,CN_PUT
        dec de                  ; stay on the end of the name
        ld a,' '
CN_PUT:
        ld (hl),a
        inc hl
        djnz CN_CHAR
        ret

; ARG1UNIT: SETUNIT with the first number.
ARG1UNIT:
        ld l,(iy+ARG1)
        ld h,(iy+ARG1+1)

; SETUNIT: use tape unit HL (1 or 2, or 0 for 1): its motor bit goes to
; TAPEUNIT. Carry for any other number. Uses AF.
SETUNIT:
        ld a,h
        or a
        scf
        ret nz
        ld a,l
        cp 3
        ccf
        ret c
        ld a,10h
        bit 1,l
        jr z,SU_SET
        add a,a                 ; unit 2: bit 5
SU_SET:
        ld (iy+TAPEUNIT),a
        ret

; TAPEOUT (E01E): send A to the tape when the UART can take it, with the
; motor of the tape unit in use on. CTRL-C or RUN/STOP while it waits ends
; with BREAK at the prompt. Uses F.
TAPEOUT:
        push af
        call MOTORON
        call TXWAIT
        pop af
        out (UARTDATA),a
        ret

; TXWAIT: wait until the UART's transmitter is empty, breaking off with
; CTRL-C or RUN/STOP. Uses AF.
TXWAIT:
        call BREAKCHK
        in a,(UARTSTATUS)
        rrca                    ; bit 0: transmitter empty
        jr nc,TXWAIT
        ret

; TAPEIN (E021): wait for the next byte from the tape, with the motor of the
; tape unit in use on; out: A. CTRL-C or RUN/STOP while it waits ends with
; BREAK at the prompt. Uses AF.
TAPEIN:
        call MOTORON
TI_WAIT:
        call BREAKCHK
        in a,(UARTSTATUS)
        and 2                   ; bit 1: a byte received
        jr z,TI_WAIT
        in a,(UARTDATA)
        ret

; MOTORON: start the motor of the tape unit in use. Uses AF.
MOTORON:
        ld a,(iy+TAPELATCH)
        or (iy+TAPEUNIT)
        jr SETLATCH

; MOTOROFF: stop both motors, keeping the speed. A running motor stops only
; once the last byte sent is out on the tape: the UART takes it into its
; shift register, then one frame at 300 baud (11 bits, 77,200 T-states)
; goes by. Uses AF, BC.
MOTOROFF:
        ld a,(iy+TAPELATCH)
        and 30h
        jr z,MF_STOP
        call TXWAIT
        ld bc,3000              ; 3,000 x 26 T-states
MF_WAIT:
        dec bc
        ld a,b
        or c
        jr nz,MF_WAIT
MF_STOP:
        ld a,(iy+TAPELATCH)
        and 40h
SETLATCH:
        ld (iy+TAPELATCH),a
        out (KEYPORT),a
        ret
