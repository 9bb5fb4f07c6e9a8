; ---------------------------------------------------------------------------
; Vantorel monitor: the machine's addresses, ports and character codes, and
; the layout of the monitor's work area.
; ---------------------------------------------------------------------------

; --- Memory map -------------------------------------------------------------
RAMLIMIT        EQU 0C000h      ; the RAM probe stops here at the latest
PAC_WARM        EQU 0DFFAh      ; a ROM PAC's warm start (a JP instruction)
PAC_COLD        EQU 0DFFDh      ; a ROM PAC's cold start (a JP instruction)
SCRATCH_TOP     EQU 0F080h      ; F000-F07F: scratch RAM, the stack while RAM is probed
SCREEN          EQU 0F080h      ; screen RAM: 64 columns x 30 rows, row after row
SCREEN_END      EQU 0F800h      ; first address after the screen
LAST_ROW        EQU 0F7C0h      ; start of the bottom row
COLUMNS         EQU 64
SCREEN_CELLS    EQU 64 * 30
GRAPHICS_RAM    EQU 0FC00h      ; programmable characters for codes 80-BF

; --- Ports ------------------------------------------------------------------
KEYPORT         EQU 0FEh        ; OUT: keyboard row 0-15 (bits 0-3), tape motors 1
                                ; and 2 (bits 4, 5), 1200 baud (bit 6), printer
                                ; strobe (bit 7, taken as it rises); IN: the
                                ; row's columns, 0 = down
UARTDATA        EQU 0FCh        ; IN: the byte received; OUT: a byte to send
UARTSTATUS      EQU 0FDh        ; IN: bit 0 transmitter empty, bit 1 byte received
PARPORT         EQU 0FFh        ; OUT: the printer's byte; 00 / FF: speaker; IN: joysticks
STROBE          EQU 80h         ; port FE bit 7: the printer takes port FF's byte

; --- Character codes --------------------------------------------------------
CTRL_C          EQU 03h         ; break
BELL            EQU 07h
BACKSPACE       EQU 08h         ; printed like RUBOUT
TAB             EQU 09h         ; SKIP key
LF              EQU 0Ah         ; LINE FEED key
CLS             EQU 0Ch         ; CLEAR key
CR              EQU 0Dh         ; RETURN key
ESC             EQU 1Bh         ; RUN/STOP key
RUBOUT          EQU 7Fh         ; rubout: delete the character left of the cursor
CURSOR_CHAR     EQU '_'         ; the cursor shown while waiting for a key

; --- Work area --------------------------------------------------------------
; The monitor keeps its work area in the top 60h bytes of the RAM it finds,
; with IY pointing at its start, and its stack just below it (SP starts at
; IY and may use 50h bytes, so together they take the top B0h bytes of RAM).
; Offsets from IY:
WORKSIZE        EQU 60h
LINEBUF         EQU 00h         ; 64 bytes: the command line, ended by 0Dh
LINEMAX         EQU 63          ; characters a line may hold
CURPOS          EQU 40h         ; 2: screen address of the cursor, F080-F7FF
UNDERCUR        EQU 42h         ; 1: the character under the cursor while shown
AFTERCR         EQU 43h         ; 1: non-zero right after a CR (an LF then is dropped)
OUTVEC          EQU 44h         ; 2: where the monitor sends its output (SE O=)
INVEC           EQU 46h         ; 2: where the monitor reads its input (SE I=)
KEYPOS          EQU 48h         ; 1: key position seen by the last scan, FF = none
KEYCOUNT        EQU 49h         ; 1: scans the key has been held since it was seen
RAMTOP          EQU 4Ah         ; 2: first address above the RAM found
ARGCOUNT        EQU 4Ch         ; 1: hex numbers on the command line
ARG1            EQU 4Dh         ; 2: first number
ARG2            EQU 4Fh         ; 2: second number
ARG3            EQU 51h         ; 2: third number
FAULTS          EQU 53h         ; 2: bad addresses found by TE
PASS            EQU 55h         ; 1: 0 = check a line, 1 = act on it (EN, SE)
TAPELATCH       EQU 56h         ; 1: port FE's tape bits: motors (10h, 20h), 1200 baud (40h)
TAPEUNIT        EQU 57h         ; 1: the motor bit of the tape unit in use
TAPEMODE        EQU 58h         ; 1: 0 = LO, 1 = LOG, 2 = FI
TAPESKIP        EQU 59h         ; 1: 1 = the file being read is skipped
TAPETYPE        EQU 5Ah         ; 1: file type for the next SA (SE F=)
TAPEGO          EQU 5Bh         ; 2: go address for the next SA (SE X=)...
TAPEGOSET       EQU 5Dh         ; 1: ...when this is 1

; --- Tape file header ---------------------------------------------------------
; SA makes up a header at the start of the work area (over the command line,
; once it is read); LO and FI read one into HEADERBUF.
HEADERBUF       EQU 10h         ; offset of the header read from tape
HDR_TYPE        EQU 6           ; offsets within a header: 0-4 name, 5 55h,
HDR_LENGTH      EQU 7           ; then type, length, load address, go address
HDR_LOAD        EQU 9
HDR_GO          EQU 11

; --- Keyboard timing --------------------------------------------------------
; The wait-for-key loop scans the matrix about every 10 ms at 2.1 MHz.
KEYDELAY        EQU 51          ; scans before the first repeat (about 0.5 s)
KEYRATE         EQU 10          ; scans between repeats (about 10 a second)
