; ---------------------------------------------------------------------------
; Line input and the monitor's routed input and output.
; ---------------------------------------------------------------------------

; GETLINE (E012): read a line into the buffer at the start of the work area,
; echoing it, until RETURN. The line never runs past the end of the screen
; row it starts on. Editing keys: the underscore key ('_'), RUBOUT (7F) and
; CTRL-H delete the last character; CLEAR clears the screen and abandons the line; CTRL-C and
; RUN/STOP abandon it; SKIP types a space; other control codes are ignored.
; Out: HL = the buffer, B = characters typed, the text ended by 0Dh; carry set
; (and B = 0) when abandoned. The cursor stays after the text. Uses AF, B, HL.
GETLINE:
        push de
        ld a,(iy+CURPOS)        ; room left on the row: 63 - column
        and COLUMNS - 1
        ld d,a
        ld a,COLUMNS - 1
        sub d
        ld d,a
        push iy
        pop hl
        ld b,0
GL_KEY:
        call INCHAR
        cp CR
        jr z,GL_DONE
        cp CTRL_C
        jr z,GL_ABANDON
        cp ESC
        jr z,GL_ABANDON
        cp CLS
        jr z,GL_CLEAR
        cp RUBOUT
        jr z,GL_RUBOUT
        cp BACKSPACE
        jr z,GL_RUBOUT
        cp '_'
        jr z,GL_RUBOUT
        cp TAB
        jr nz,GL_TYPED
        ld a,' '
GL_TYPED:
        cp ' '
        jr c,GL_KEY             ; other control codes mean nothing here
        ld e,a
        ld a,b
        cp d
        jr nc,GL_FULL
        ld (hl),e
        inc hl
        inc b
        ld a,e
        call OUTCHAR
        jr GL_KEY
GL_FULL:
        ld a,BELL
        call OUTCHAR
        jr GL_KEY
GL_RUBOUT:
        ld a,b
        or a
        jr z,GL_KEY
        dec hl
        dec b
        ld a,RUBOUT
        call OUTCHAR
        jr GL_KEY
GL_CLEAR:
        call OUTCHAR            ; A = CLS
GL_ABANDON:
        ld b,0
        push iy
        pop hl
        ld (hl),CR
        pop de
        scf
        ret
GL_DONE:
        ld (hl),CR
        push iy
        pop hl
        pop de
        or a                    ; carry clear
        ret

; OUTCHAR: send A to the monitor's output (the screen unless SE O= says
; otherwise). Keeps every register.
OUTCHAR:
        push af
        push bc
        push de
        push hl
        ld hl,OC_BACK
        push hl
        ld l,(iy+OUTVEC)
        ld h,(iy+OUTVEC+1)
        jp (hl)
OC_BACK:
        pop hl
        pop de
        pop bc
        pop af
        ret

; INCHAR: a character from the monitor's input (the keyboard unless SE I=
; says otherwise); out: A. Uses AF.
INCHAR:
        push bc
        push de
        push hl
        ld hl,IC_BACK
        push hl
        ld l,(iy+INVEC)
        ld h,(iy+INVEC+1)
        jp (hl)
IC_BACK:
        pop hl
        pop de
        pop bc
        ret
