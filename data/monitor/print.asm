; ---------------------------------------------------------------------------
; Printing through the monitor's output (OUTCHAR).
; ---------------------------------------------------------------------------

; PRINTS (E006): print the text at HL up to a 0 byte; out: HL after the 0.
; Uses AF, HL.
PRINTS:
        ld a,(hl)
        inc hl
        or a
        ret z
        call OUTCHAR
        jr PRINTS

; PRWORD (E00C): HL as four hex digits. Uses AF.
PRWORD:
        ld a,h
        call PRHEX
        ld a,l

; PRHEX (E009): A as two hex digits. Uses AF.
PRHEX:
        push af
        rrca
        rrca
        rrca
        rrca
        call PRNIBBLE
        pop af

; PRNIBBLE: the low 4 bits of A as a hex digit. Uses AF.
PRNIBBLE:
        and 0Fh
        add a,'0'
        cp '9' + 1
        jr c,PN_OUT
        add a,'A' - '9' - 1
PN_OUT:
        jp OUTCHAR

; CRLF (E00F): start a new line. Uses AF.
CRLF:
        ld a,CR
        jp OUTCHAR

; PRSPACE: one space. Uses AF.
PRSPACE:
        ld a,' '
        jp OUTCHAR

; PRINTOUT (E024): send A to the printer. The byte goes out on the parallel
; port (port FF) and a rising edge of port FE bit 7 strobes it into the
; printer, which is never busy; the tape bits of port FE stay as they are.
; Keeps every register.
PRINTOUT:
        push af
        out (PARPORT),a
        ld a,(iy+TAPELATCH)
        or STROBE
        out (KEYPORT),a
        and ~STROBE
        out (KEYPORT),a
        pop af
        ret
