; ---------------------------------------------------------------------------
; The screen: 64 x 30 character cells in screen RAM at F080-F7FF, one byte
; each, row after row. The cursor is kept as a screen address; since F080 is
; a multiple of 64, its column is simply the low 6 bits of that address.
;
; Codes acted on when printed:
;   07 bell (the speaker on port FF)   08, 7F rubout (delete to the left)
;   09 tab (to the next column that is a multiple of 8)
;   0A line feed (down a row, same column; dropped right after a CR)
;   0C clear the screen                0D new line
; Every other code, 00-FF, is stored at the cursor and shown as its glyph.
; ---------------------------------------------------------------------------

; SCREENOUT (E01B): write the character in A at the cursor. Keeps every
; register.
SCREENOUT:
        push af
        push bc
        push de
        push hl
        call FIXCURSOR
        call SCREENCHAR
        ld (iy+CURPOS),l
        ld (iy+CURPOS+1),h
        pop hl
        pop de
        pop bc
        pop af
        ret

; FIXCURSOR: HL = the cursor, put back in the screen if a program has
; overwritten it (so stray values can never send writes elsewhere). Uses AF.
FIXCURSOR:
        ld l,(iy+CURPOS)
        ld h,(iy+CURPOS+1)
        push af
        ld a,h
        cp HIGH SCREEN          ; F0: only F080 upwards is on the screen
        jr c,FC_BAD
        jr nz,FC_HIGH
        ld a,l
        cp LOW SCREEN
        jr c,FC_BAD
        jr FC_GOOD
FC_HIGH:
        cp HIGH SCREEN_END
        jr c,FC_GOOD
FC_BAD:
        ld hl,LAST_ROW
        ld (iy+CURPOS),l
        ld (iy+CURPOS+1),h
FC_GOOD:
        pop af
        ret

; SCREENCHAR: print A with the cursor in HL; out: HL = the new cursor.
; Uses AF, BC, DE.
SCREENCHAR:
        cp LF
        jr z,SC_LINEFEED
        ld (iy+AFTERCR),0
        cp CR
        jr z,SC_NEWLINE
        cp BELL
        jp z,BEEP
        cp RUBOUT
        jr z,SC_RUBOUT
        cp BACKSPACE
        jr z,SC_RUBOUT
        cp TAB
        jr z,SC_TAB
        cp CLS
        jr z,CLEARSCREEN
        ld (hl),a
        inc hl
        jr KEEPONSCREEN

SC_LINEFEED:
        ld a,(iy+AFTERCR)
        ld (iy+AFTERCR),0
        or a
        ret nz                  ; CR LF makes one new line, not two
        ld de,COLUMNS
        add hl,de
        jr KEEPONSCREEN

SC_NEWLINE:
        ld (iy+AFTERCR),1
        ld a,l
        and 0C0h                ; back to column 0
        ld l,a
        ld de,COLUMNS
        add hl,de
        jr KEEPONSCREEN

SC_RUBOUT:
        ld de,SCREEN
        or a
        sbc hl,de
        add hl,de
        ret z                   ; nothing left of the top left corner
        dec hl
        ld (hl),' '
        ret

SC_TAB:
        ld (hl),' '
        inc hl
        call KEEPONSCREEN
        ld a,l
        and 7
        jr nz,SC_TAB
        ret

; KEEPONSCREEN: if the cursor in HL has run off the bottom, scroll the
; screen up a row and bring the cursor up with it. Uses AF, BC, DE.
KEEPONSCREEN:
        ld a,h
        cp HIGH SCREEN_END
        ret c
        call SCROLLUP
        ld de,-COLUMNS
        add hl,de
        ret

; SCROLLUP: move rows 1-29 up a row and blank the bottom row. Uses AF, BC,
; DE.
SCROLLUP:
        push hl
        ld hl,SCREEN + COLUMNS
        ld de,SCREEN
        ld bc,SCREEN_CELLS - COLUMNS
        ldir
        ld h,d
        ld l,e
        ld b,COLUMNS
SU_BLANK:
        ld (hl),' '
        inc hl
        djnz SU_BLANK
        pop hl
        ret

; CLEARSCREEN: fill the screen with spaces and put the cursor at the top
; left; out: HL = the cursor. Uses AF, BC, DE.
CLEARSCREEN:
        ld hl,SCREEN
        ld (iy+CURPOS),l
        ld (iy+CURPOS+1),h
        ld de,SCREEN + 1
        ld bc,SCREEN_CELLS - 1
        ld (hl),' '
        ldir
        ld hl,SCREEN
        ret

; BEEP: about 0.1 s of a 1 kHz tone on the speaker. The speaker changes
; whenever port FF goes from 00 to FF or back; each half period is 1,054
; T-states, half a millisecond at 2.1 MHz. Uses AF, BC.
BEEP:
        ld b,200                ; half periods
        ld a,0FFh
BP_EDGE:
        out (PARPORT),a         ; 11
        cpl                     ; 4
        ld c,64                 ; 7
BP_WAIT:
        dec c                   ; 4
        jr nz,BP_WAIT           ; 12 / 7
        djnz BP_EDGE            ; 13: 35 + 64 * 16 - 5 = 1,054 in all
        ret                     ; the last write was 00

; CURSORON: show the underscore cursor, keeping the character under it.
; Uses AF, HL.
CURSORON:
        call FIXCURSOR
        ld a,(hl)
        ld (iy+UNDERCUR),a
        ld (hl),CURSOR_CHAR
        ret

; CURSOROFF: put the character under the cursor back. Uses AF, HL.
CURSOROFF:
        call FIXCURSOR
        ld a,(iy+UNDERCUR)
        ld (hl),a
        ret

; FRESHLINE: start a new line unless the cursor is already at the start of
; one. Uses AF.
FRESHLINE:
        ld a,(iy+CURPOS)
        and COLUMNS - 1
        ret z
        jp CRLF
