; ---------------------------------------------------------------------------
; The keyboard: a matrix of 16 rows by 5 columns. Writing a row number to
; port FE selects the row; reading port FE gives its five keys in bits 0-4,
; a 0 bit for a key that is down. A key's position is row * 5 + column.
;
; Row 0 holds the shift-type keys (GRAPHIC column 1, CTRL column 2, SHIFT
; LOCK column 3, SHIFT column 4) and row 1 column 0 is REPEAT; they change
; what the other keys type but type nothing themselves.
;
; A key counts once it has been seen down in two scans running (a bounce
; lasts less than that). Held on, it repeats after KEYDELAY scans and then
; every KEYRATE scans; with REPEAT held it repeats at once at that rate.
; ---------------------------------------------------------------------------

SHIFTBIT_GRAPHIC EQU 1          ; bits of the shift-key byte (B in the scan)
SHIFTBIT_CTRL   EQU 2
SHIFTBIT_LOCK   EQU 3
SHIFTBIT_SHIFT  EQU 4
SHIFTBIT_REPEAT EQU 5

; KEYCHK (E015): look at the keyboard once. Out: NZ and A = the code of a key
; just pressed (or repeating), or Z and A = 0. Uses AF.
KEYCHK:
        push bc
        push de
        push hl
        call KEYSTEP
        pop hl
        pop de
        pop bc
        ret

; KEYWAIT (E018): wait for a key with the cursor showing. Out: A = its
; code. Uses AF.
KEYWAIT:
        push bc
        push de
        push hl
        call CURSORON
KW_SCAN:
        call KEYSTEP
        jr nz,KW_GOT
        call SCANPAUSE
        jr KW_SCAN
KW_GOT:
        push af
        call CURSOROFF
        pop af
        pop hl
        pop de
        pop bc
        ret

; SCANPAUSE: wait so that a KEYWAIT scan comes round about every 10 ms
; (21,000 T-states at 2.1 MHz, of which the scan itself takes about 2,500).
; Uses AF, BC.
SCANPAUSE:
        ld bc,718
SP_LOOP:
        dec bc                  ; 6
        ld a,b                  ; 4
        or c                    ; 4
        jr nz,SP_LOOP           ; 12: 26 T-states a turn
        ret

; KEYSTEP: one scan, through the debounce and repeat counts. Out: NZ and A =
; a code, or Z and A = 0. Uses AF, BC, DE, HL.
KEYSTEP:
        call SCANMATRIX         ; C = position, B = shift keys
        ld a,c
        cp (iy+KEYPOS)
        jr z,KS_SAME
        ld (iy+KEYPOS),a        ; a new key, or none: count from here
        ld (iy+KEYCOUNT),0
        xor a
        ret
KS_SAME:
        inc a
        ret z                   ; still no key (A = 0, Z)
        inc (iy+KEYCOUNT)
        ld a,(iy+KEYCOUNT)
        cp 1
        jr z,KS_TYPE            ; seen in two scans running: it is pressed
        bit SHIFTBIT_REPEAT,b
        jr z,KS_HELD
        cp KEYDELAY - KEYRATE
        jr nc,KS_HELD
        ld a,KEYDELAY - KEYRATE ; REPEAT: skip the long first wait
        ld (iy+KEYCOUNT),a
KS_HELD:
        cp KEYDELAY
        jr c,KS_NONE
        ld (iy+KEYCOUNT),KEYDELAY - KEYRATE
KS_TYPE:
        ld a,c
        call KEYCODE
        or a
        ret
KS_NONE:
        xor a
        ret

; RESETKEYS: forget any key seen so far. Uses nothing.
RESETKEYS:
        ld (iy+KEYPOS),0FFh
        ld (iy+KEYCOUNT),0
        ret

; SCANMATRIX: read all 16 rows. Out: C = the position of the first key down
; (in row order) that is not a shift-type key, or FF; B = the shift-type
; keys down (bits SHIFTBIT_...). Uses AF, BC, DE, HL.
SCANMATRIX:
        ld c,0FFh
        ld hl,KEYMASKS
        ld de,0                 ; D = row, E = position of its column 0
SM_ROW:
        ld a,d
        call READROW
        cpl
        and (hl)                ; only keys that type something
        jr z,SM_NEXT
        bit 7,c
        jr z,SM_NEXT            ; a key was found in an earlier row
        ld c,e
SM_COLUMN:
        rrca
        jr c,SM_NEXT
        inc c
        jr SM_COLUMN
SM_NEXT:
        inc hl
        ld a,e
        add a,5
        ld e,a
        inc d
        ld a,d
        cp 16
        jr nz,SM_ROW
        xor a                   ; row 0: GRAPHIC, CTRL, SHIFT LOCK, SHIFT
        call READROW
        cpl
        and 1Eh
        ld b,a
        ld a,1                  ; row 1 column 0: REPEAT
        call READROW
        rrca
        ret c
        set SHIFTBIT_REPEAT,b
        ret

; READROW: select keyboard row A (0-15) and read its columns into A. Port FE
; also drives the tape motors and speed, so their bits go out with the row.
; Uses AF.
READROW:
        or (iy+TAPELATCH)
        out (KEYPORT),a
        in a,(KEYPORT)
        ret

; The columns of each row that are keys of their own (1) rather than
; shift-type keys (0).
KEYMASKS:
        DEFB 01h, 1Eh, 1Fh, 1Fh, 1Fh, 1Fh, 1Fh, 1Fh
        DEFB 1Fh, 1Fh, 1Fh, 1Fh, 1Fh, 1Fh, 1Fh, 1Fh

; KEYCODE: the code typed by position A with the shift-type keys B; 0 when
; the key types nothing. Uses AF, DE, HL.
KEYCODE:
        ld e,a
        ld d,0
        bit SHIFTBIT_GRAPHIC,b
        jr z,KC_TYPEWRITER
        ld hl,GRAPHICKEYS       ; GRAPHIC: codes 80-BF, with SHIFT C0-FF
        add hl,de
        ld a,(hl)
        cp 80h
        ret c                   ; nothing, space or RETURN
        bit SHIFTBIT_SHIFT,b
        ret z
        add a,40h
        ret
KC_TYPEWRITER:
        ld hl,PLAINKEYS
        bit SHIFTBIT_SHIFT,b
        jr z,KC_LOOKUP
        ld hl,SHIFTKEYS
KC_LOOKUP:
        add hl,de
        ld a,(hl)
        bit SHIFTBIT_LOCK,b
        call nz,UPPER           ; SHIFT LOCK: capitals, other keys as they are
        bit SHIFTBIT_CTRL,b
        ret z
        ld e,a                  ; CTRL: A-Z [ \ ] ^ give 01-1E
        call UPPER
        cp 'A'
        jr c,KC_NOCTRL
        cp '^' + 1
        jr nc,KC_NOCTRL
        and 1Fh
        ret
KC_NOCTRL:
        ld a,e                  ; CTRL has no effect on the other keys
        ret

; UPPER: A in capitals if it is a small letter. Uses AF.
UPPER:
        cp 'a'
        ret c
        cp 'z' + 1
        ret nc
        sub 20h
        ret

; What each position types: without SHIFT, with SHIFT, and with GRAPHIC.
; 0 = nothing. Special keys: CLEAR (0C), BREAK (03), SKIP (09), RUN/STOP
; (1B), RETURN (0D), LINE FEED (0A). The underscore key (host Backspace)
; types '_' and with SHIFT RUBOUT (7F); the line editor takes both as
; rubout. The keypad types its digits and signs.
PLAINKEYS:
        DEFB CLS,  0,    0,    0,    0      ; 0  CLEAR GRAPHIC CTRL LOCK SHIFT
        DEFB 0,    CTRL_C, ' ', TAB, ESC    ; 1  REPEAT BREAK space SKIP RUN/STOP
        DEFB 'x',  'z',  'a',  'q',  '1'    ; 2
        DEFB 'c',  'd',  's',  'w',  '2'    ; 3
        DEFB 'f',  'r',  'e',  '4',  '3'    ; 4
        DEFB 'b',  'v',  'g',  't',  '5'    ; 5
        DEFB 'm',  'n',  'h',  'y',  '6'    ; 6
        DEFB 'k',  'i',  'j',  'u',  '7'    ; 7
        DEFB ',',  'l',  'o',  '9',  '8'    ; 8
        DEFB '/',  '.',  ';',  'p',  '0'    ; 9
        DEFB 5Ch,  '@',  ']',  '[',  ':'    ; 10 (5C is the backslash)
        DEFB '_',  CR,   LF,   '^',  '-'    ; 11 underscore RETURN LINEFEED
        DEFB '+',  '*',  '/',  '-',  0      ; 12 keypad
        DEFB '0',  '1',  '4',  '8',  '7'    ; 13 keypad
        DEFB '.',  '2',  '5',  '6',  '9'    ; 14 keypad
        DEFB 0,    0,    0,    0,    '3'    ; 15 keypad
SHIFTKEYS:
        DEFB CLS,  0,    0,    0,    0
        DEFB 0,    CTRL_C, ' ', TAB, ESC
        DEFB 'X',  'Z',  'A',  'Q',  '!'
        DEFB 'C',  'D',  'S',  'W',  '"'
        DEFB 'F',  'R',  'E',  '$',  '#'
        DEFB 'B',  'V',  'G',  'T',  '%'
        DEFB 'M',  'N',  'H',  'Y',  '&'
        DEFB 'K',  'I',  'J',  'U',  27h
        DEFB '<',  'L',  'O',  ')',  '('
        DEFB '?',  '>',  '+',  'P',  '0'
        DEFB '|',  '`',  '}',  '{',  '*'
        DEFB RUBOUT, CR, LF,   '~',  '='
        DEFB '+',  '*',  '/',  '-',  0
        DEFB '0',  '1',  '4',  '8',  '7'
        DEFB '.',  '2',  '5',  '6',  '9'
        DEFB 0,    0,    0,    0,    '3'
; GRAPHIC gives the standard graphics 80-BF to the typing and keypad keys
; in position order, except SKIP (8D) and row 15 column 3 (BF); with SHIFT
; as well, C0-FF. Space and RETURN keep their codes.
GRAPHICKEYS:
        DEFB 0,    0,    0,    0,    0
        DEFB 0,    0,    ' ',  8Dh,  0
        DEFB 80h,  81h,  82h,  83h,  84h
        DEFB 85h,  86h,  87h,  88h,  89h
        DEFB 8Ah,  8Bh,  8Ch,  8Eh,  8Fh
        DEFB 90h,  91h,  92h,  93h,  94h
        DEFB 95h,  96h,  97h,  98h,  99h
        DEFB 9Ah,  9Bh,  9Ch,  9Dh,  9Eh
        DEFB 9Fh,  0A0h, 0A1h, 0A2h, 0A3h
        DEFB 0A4h, 0A5h, 0A6h, 0A7h, 0A8h
        DEFB 0A9h, 0AAh, 0ABh, 0ACh, 0ADh
        DEFB 0AEh, CR,   0,    0AFh, 0B0h
        DEFB 0B1h, 0B2h, 0B3h, 0B4h, 0
        DEFB 0B5h, 0B6h, 0B7h, 0B8h, 0B9h
        DEFB 0BAh, 0BBh, 0,    0BCh, 0BDh
        DEFB 0,    0,    0,    0BFh, 0BEh
