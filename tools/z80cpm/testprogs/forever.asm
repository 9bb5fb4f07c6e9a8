; Never ends: counts in HL round a loop that is longer than one jump, so
; the core's idle-loop shortcut does not apply and every T-state is executed.
            org 0100h
            ld hl, 0
loop:       inc hl
            ld a, h
            or l
            jr loop
