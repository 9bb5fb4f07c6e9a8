// Instruction templates of the Z80 disassembler, one table of 256 per opcode
// page (see z80_disassembler.h for the placeholder characters). The tables
// were written out once by a short script from the Zilog opcode map and are
// kept here as plain data to be checked line by line.
#include "z80/z80_disassembler.h"

namespace vantorel {

// clang-format off
// Unprefixed opcodes; the prefix entries are never shown.
const TemplateTable baseTemplates = {
    "nop", "ld bc,W", "ld (bc),a", "inc bc", "inc b", "dec b", "ld b,B", "rlca",  // 00-07
    "ex af,af'", "add hl,bc", "ld a,(bc)", "dec bc", "inc c", "dec c", "ld c,B", "rrca",  // 08-0F
    "djnz R", "ld de,W", "ld (de),a", "inc de", "inc d", "dec d", "ld d,B", "rla",  // 10-17
    "jr R", "add hl,de", "ld a,(de)", "dec de", "inc e", "dec e", "ld e,B", "rra",  // 18-1F
    "jr nz,R", "ld hl,W", "ld (W),hl", "inc hl", "inc h", "dec h", "ld h,B", "daa",  // 20-27
    "jr z,R", "add hl,hl", "ld hl,(W)", "dec hl", "inc l", "dec l", "ld l,B", "cpl",  // 28-2F
    "jr nc,R", "ld sp,W", "ld (W),a", "inc sp", "inc (hl)", "dec (hl)", "ld (hl),B", "scf",  // 30-37
    "jr c,R", "add hl,sp", "ld a,(W)", "dec sp", "inc a", "dec a", "ld a,B", "ccf",  // 38-3F
    "ld b,b", "ld b,c", "ld b,d", "ld b,e", "ld b,h", "ld b,l", "ld b,(hl)", "ld b,a",  // 40-47
    "ld c,b", "ld c,c", "ld c,d", "ld c,e", "ld c,h", "ld c,l", "ld c,(hl)", "ld c,a",  // 48-4F
    "ld d,b", "ld d,c", "ld d,d", "ld d,e", "ld d,h", "ld d,l", "ld d,(hl)", "ld d,a",  // 50-57
    "ld e,b", "ld e,c", "ld e,d", "ld e,e", "ld e,h", "ld e,l", "ld e,(hl)", "ld e,a",  // 58-5F
    "ld h,b", "ld h,c", "ld h,d", "ld h,e", "ld h,h", "ld h,l", "ld h,(hl)", "ld h,a",  // 60-67
    "ld l,b", "ld l,c", "ld l,d", "ld l,e", "ld l,h", "ld l,l", "ld l,(hl)", "ld l,a",  // 68-6F
    "ld (hl),b", "ld (hl),c", "ld (hl),d", "ld (hl),e", "ld (hl),h", "ld (hl),l", "halt", "ld (hl),a",  // 70-77
    "ld a,b", "ld a,c", "ld a,d", "ld a,e", "ld a,h", "ld a,l", "ld a,(hl)", "ld a,a",  // 78-7F
    "add a,b", "add a,c", "add a,d", "add a,e", "add a,h", "add a,l", "add a,(hl)", "add a,a",  // 80-87
    "adc a,b", "adc a,c", "adc a,d", "adc a,e", "adc a,h", "adc a,l", "adc a,(hl)", "adc a,a",  // 88-8F
    "sub b", "sub c", "sub d", "sub e", "sub h", "sub l", "sub (hl)", "sub a",  // 90-97
    "sbc a,b", "sbc a,c", "sbc a,d", "sbc a,e", "sbc a,h", "sbc a,l", "sbc a,(hl)", "sbc a,a",  // 98-9F
    "and b", "and c", "and d", "and e", "and h", "and l", "and (hl)", "and a",  // A0-A7
    "xor b", "xor c", "xor d", "xor e", "xor h", "xor l", "xor (hl)", "xor a",  // A8-AF
    "or b", "or c", "or d", "or e", "or h", "or l", "or (hl)", "or a",  // B0-B7
    "cp b", "cp c", "cp d", "cp e", "cp h", "cp l", "cp (hl)", "cp a",  // B8-BF
    "ret nz", "pop bc", "jp nz,W", "jp W", "call nz,W", "push bc", "add a,B", "rst 00h",  // C0-C7
    "ret z", "ret", "jp z,W", "cb", "call z,W", "call W", "adc a,B", "rst 08h",  // C8-CF
    "ret nc", "pop de", "jp nc,W", "out (B),a", "call nc,W", "push de", "sub B", "rst 10h",  // D0-D7
    "ret c", "exx", "jp c,W", "in a,(B)", "call c,W", "dd", "sbc a,B", "rst 18h",  // D8-DF
    "ret po", "pop hl", "jp po,W", "ex (sp),hl", "call po,W", "push hl", "and B", "rst 20h",  // E0-E7
    "ret pe", "jp (hl)", "jp pe,W", "ex de,hl", "call pe,W", "ed", "xor B", "rst 28h",  // E8-EF
    "ret p", "pop af", "jp p,W", "di", "call p,W", "push af", "or B", "rst 30h",  // F0-F7
    "ret m", "ld sp,hl", "jp m,W", "ei", "call m,W", "fd", "cp B", "rst 38h",  // F8-FF
};

// CB xx.
const TemplateTable cbTemplates = {
    "rlc b", "rlc c", "rlc d", "rlc e", "rlc h", "rlc l", "rlc (hl)", "rlc a",  // 00-07
    "rrc b", "rrc c", "rrc d", "rrc e", "rrc h", "rrc l", "rrc (hl)", "rrc a",  // 08-0F
    "rl b", "rl c", "rl d", "rl e", "rl h", "rl l", "rl (hl)", "rl a",  // 10-17
    "rr b", "rr c", "rr d", "rr e", "rr h", "rr l", "rr (hl)", "rr a",  // 18-1F
    "sla b", "sla c", "sla d", "sla e", "sla h", "sla l", "sla (hl)", "sla a",  // 20-27
    "sra b", "sra c", "sra d", "sra e", "sra h", "sra l", "sra (hl)", "sra a",  // 28-2F
    "sll b", "sll c", "sll d", "sll e", "sll h", "sll l", "sll (hl)", "sll a",  // 30-37
    "srl b", "srl c", "srl d", "srl e", "srl h", "srl l", "srl (hl)", "srl a",  // 38-3F
    "bit 0,b", "bit 0,c", "bit 0,d", "bit 0,e", "bit 0,h", "bit 0,l", "bit 0,(hl)", "bit 0,a",  // 40-47
    "bit 1,b", "bit 1,c", "bit 1,d", "bit 1,e", "bit 1,h", "bit 1,l", "bit 1,(hl)", "bit 1,a",  // 48-4F
    "bit 2,b", "bit 2,c", "bit 2,d", "bit 2,e", "bit 2,h", "bit 2,l", "bit 2,(hl)", "bit 2,a",  // 50-57
    "bit 3,b", "bit 3,c", "bit 3,d", "bit 3,e", "bit 3,h", "bit 3,l", "bit 3,(hl)", "bit 3,a",  // 58-5F
    "bit 4,b", "bit 4,c", "bit 4,d", "bit 4,e", "bit 4,h", "bit 4,l", "bit 4,(hl)", "bit 4,a",  // 60-67
    "bit 5,b", "bit 5,c", "bit 5,d", "bit 5,e", "bit 5,h", "bit 5,l", "bit 5,(hl)", "bit 5,a",  // 68-6F
    "bit 6,b", "bit 6,c", "bit 6,d", "bit 6,e", "bit 6,h", "bit 6,l", "bit 6,(hl)", "bit 6,a",  // 70-77
    "bit 7,b", "bit 7,c", "bit 7,d", "bit 7,e", "bit 7,h", "bit 7,l", "bit 7,(hl)", "bit 7,a",  // 78-7F
    "res 0,b", "res 0,c", "res 0,d", "res 0,e", "res 0,h", "res 0,l", "res 0,(hl)", "res 0,a",  // 80-87
    "res 1,b", "res 1,c", "res 1,d", "res 1,e", "res 1,h", "res 1,l", "res 1,(hl)", "res 1,a",  // 88-8F
    "res 2,b", "res 2,c", "res 2,d", "res 2,e", "res 2,h", "res 2,l", "res 2,(hl)", "res 2,a",  // 90-97
    "res 3,b", "res 3,c", "res 3,d", "res 3,e", "res 3,h", "res 3,l", "res 3,(hl)", "res 3,a",  // 98-9F
    "res 4,b", "res 4,c", "res 4,d", "res 4,e", "res 4,h", "res 4,l", "res 4,(hl)", "res 4,a",  // A0-A7
    "res 5,b", "res 5,c", "res 5,d", "res 5,e", "res 5,h", "res 5,l", "res 5,(hl)", "res 5,a",  // A8-AF
    "res 6,b", "res 6,c", "res 6,d", "res 6,e", "res 6,h", "res 6,l", "res 6,(hl)", "res 6,a",  // B0-B7
    "res 7,b", "res 7,c", "res 7,d", "res 7,e", "res 7,h", "res 7,l", "res 7,(hl)", "res 7,a",  // B8-BF
    "set 0,b", "set 0,c", "set 0,d", "set 0,e", "set 0,h", "set 0,l", "set 0,(hl)", "set 0,a",  // C0-C7
    "set 1,b", "set 1,c", "set 1,d", "set 1,e", "set 1,h", "set 1,l", "set 1,(hl)", "set 1,a",  // C8-CF
    "set 2,b", "set 2,c", "set 2,d", "set 2,e", "set 2,h", "set 2,l", "set 2,(hl)", "set 2,a",  // D0-D7
    "set 3,b", "set 3,c", "set 3,d", "set 3,e", "set 3,h", "set 3,l", "set 3,(hl)", "set 3,a",  // D8-DF
    "set 4,b", "set 4,c", "set 4,d", "set 4,e", "set 4,h", "set 4,l", "set 4,(hl)", "set 4,a",  // E0-E7
    "set 5,b", "set 5,c", "set 5,d", "set 5,e", "set 5,h", "set 5,l", "set 5,(hl)", "set 5,a",  // E8-EF
    "set 6,b", "set 6,c", "set 6,d", "set 6,e", "set 6,h", "set 6,l", "set 6,(hl)", "set 6,a",  // F0-F7
    "set 7,b", "set 7,c", "set 7,d", "set 7,e", "set 7,h", "set 7,l", "set 7,(hl)", "set 7,a",  // F8-FF
};

// ED xx; "!" shows the two bytes as data.
const TemplateTable edTemplates = {
    "!", "!", "!", "!", "!", "!", "!", "!",  // 00-07
    "!", "!", "!", "!", "!", "!", "!", "!",  // 08-0F
    "!", "!", "!", "!", "!", "!", "!", "!",  // 10-17
    "!", "!", "!", "!", "!", "!", "!", "!",  // 18-1F
    "!", "!", "!", "!", "!", "!", "!", "!",  // 20-27
    "!", "!", "!", "!", "!", "!", "!", "!",  // 28-2F
    "!", "!", "!", "!", "!", "!", "!", "!",  // 30-37
    "!", "!", "!", "!", "!", "!", "!", "!",  // 38-3F
    "in b,(c)", "out (c),b", "sbc hl,bc", "ld (W),bc", "neg", "retn", "im 0", "ld i,a",  // 40-47
    "in c,(c)", "out (c),c", "adc hl,bc", "ld bc,(W)", "!", "reti", "!", "ld r,a",  // 48-4F
    "in d,(c)", "out (c),d", "sbc hl,de", "ld (W),de", "!", "!", "im 1", "ld a,i",  // 50-57
    "in e,(c)", "out (c),e", "adc hl,de", "ld de,(W)", "!", "!", "im 2", "ld a,r",  // 58-5F
    "in h,(c)", "out (c),h", "sbc hl,hl", "ld (W),hl", "!", "!", "!", "rrd",  // 60-67
    "in l,(c)", "out (c),l", "adc hl,hl", "ld hl,(W)", "!", "!", "!", "rld",  // 68-6F
    "in 0,(c)", "out (c),0", "sbc hl,sp", "ld (W),sp", "!", "!", "!", "!",  // 70-77
    "in a,(c)", "out (c),a", "adc hl,sp", "ld sp,(W)", "!", "!", "!", "!",  // 78-7F
    "!", "!", "!", "!", "!", "!", "!", "!",  // 80-87
    "!", "!", "!", "!", "!", "!", "!", "!",  // 88-8F
    "!", "!", "!", "!", "!", "!", "!", "!",  // 90-97
    "!", "!", "!", "!", "!", "!", "!", "!",  // 98-9F
    "ldi", "cpi", "ini", "outi", "!", "!", "!", "!",  // A0-A7
    "ldd", "cpd", "ind", "outd", "!", "!", "!", "!",  // A8-AF
    "ldir", "cpir", "inir", "otir", "!", "!", "!", "!",  // B0-B7
    "lddr", "cpdr", "indr", "otdr", "!", "!", "!", "!",  // B8-BF
    "!", "!", "!", "!", "!", "!", "!", "!",  // C0-C7
    "!", "!", "!", "!", "!", "!", "!", "!",  // C8-CF
    "!", "!", "!", "!", "!", "!", "!", "!",  // D0-D7
    "!", "!", "!", "!", "!", "!", "!", "!",  // D8-DF
    "!", "!", "!", "!", "!", "!", "!", "!",  // E0-E7
    "!", "!", "!", "!", "!", "!", "!", "!",  // E8-EF
    "!", "!", "!", "!", "!", "!", "!", "!",  // F0-F7
    "!", "!", "!", "!", "!", "!", "!", "!",  // F8-FF
};

// DD xx and FD xx; "@" shows the lone prefix as one data byte.
const TemplateTable indexTemplates = {
    "@", "@", "@", "@", "@", "@", "@", "@",  // 00-07
    "@", "add I,bc", "@", "@", "@", "@", "@", "@",  // 08-0F
    "@", "@", "@", "@", "@", "@", "@", "@",  // 10-17
    "@", "add I,de", "@", "@", "@", "@", "@", "@",  // 18-1F
    "@", "ld I,W", "ld (W),I", "inc I", "inc Ih", "dec Ih", "ld Ih,B", "@",  // 20-27
    "@", "add I,I", "ld I,(W)", "dec I", "inc Il", "dec Il", "ld Il,B", "@",  // 28-2F
    "@", "@", "@", "@", "inc X", "dec X", "ld X,B", "@",  // 30-37
    "@", "add I,sp", "@", "@", "@", "@", "@", "@",  // 38-3F
    "@", "@", "@", "@", "ld b,Ih", "ld b,Il", "ld b,X", "@",  // 40-47
    "@", "@", "@", "@", "ld c,Ih", "ld c,Il", "ld c,X", "@",  // 48-4F
    "@", "@", "@", "@", "ld d,Ih", "ld d,Il", "ld d,X", "@",  // 50-57
    "@", "@", "@", "@", "ld e,Ih", "ld e,Il", "ld e,X", "@",  // 58-5F
    "ld Ih,b", "ld Ih,c", "ld Ih,d", "ld Ih,e", "ld Ih,Ih", "ld Ih,Il", "ld h,X", "ld Ih,a",  // 60-67
    "ld Il,b", "ld Il,c", "ld Il,d", "ld Il,e", "ld Il,Ih", "ld Il,Il", "ld l,X", "ld Il,a",  // 68-6F
    "ld X,b", "ld X,c", "ld X,d", "ld X,e", "ld X,h", "ld X,l", "@", "ld X,a",  // 70-77
    "@", "@", "@", "@", "ld a,Ih", "ld a,Il", "ld a,X", "@",  // 78-7F
    "@", "@", "@", "@", "add a,Ih", "add a,Il", "add a,X", "@",  // 80-87
    "@", "@", "@", "@", "adc a,Ih", "adc a,Il", "adc a,X", "@",  // 88-8F
    "@", "@", "@", "@", "sub Ih", "sub Il", "sub X", "@",  // 90-97
    "@", "@", "@", "@", "sbc a,Ih", "sbc a,Il", "sbc a,X", "@",  // 98-9F
    "@", "@", "@", "@", "and Ih", "and Il", "and X", "@",  // A0-A7
    "@", "@", "@", "@", "xor Ih", "xor Il", "xor X", "@",  // A8-AF
    "@", "@", "@", "@", "or Ih", "or Il", "or X", "@",  // B0-B7
    "@", "@", "@", "@", "cp Ih", "cp Il", "cp X", "@",  // B8-BF
    "@", "@", "@", "@", "@", "@", "@", "@",  // C0-C7
    "@", "@", "@", "fd cb", "@", "@", "@", "@",  // C8-CF
    "@", "@", "@", "@", "@", "@", "@", "@",  // D0-D7
    "@", "@", "@", "@", "@", "@", "@", "@",  // D8-DF
    "@", "pop I", "@", "ex (sp),I", "@", "push I", "@", "@",  // E0-E7
    "@", "jp (I)", "@", "@", "@", "@", "@", "@",  // E8-EF
    "@", "@", "@", "@", "@", "@", "@", "@",  // F0-F7
    "@", "ld sp,I", "@", "@", "@", "@", "@", "@",  // F8-FF
};

// DD CB d xx and FD CB d xx.
const TemplateTable indexBitTemplates = {
    "rlc b=Y", "rlc c=Y", "rlc d=Y", "rlc e=Y", "rlc h=Y", "rlc l=Y", "rlc Y", "rlc a=Y",  // 00-07
    "rrc b=Y", "rrc c=Y", "rrc d=Y", "rrc e=Y", "rrc h=Y", "rrc l=Y", "rrc Y", "rrc a=Y",  // 08-0F
    "rl b=Y", "rl c=Y", "rl d=Y", "rl e=Y", "rl h=Y", "rl l=Y", "rl Y", "rl a=Y",  // 10-17
    "rr b=Y", "rr c=Y", "rr d=Y", "rr e=Y", "rr h=Y", "rr l=Y", "rr Y", "rr a=Y",  // 18-1F
    "sla b=Y", "sla c=Y", "sla d=Y", "sla e=Y", "sla h=Y", "sla l=Y", "sla Y", "sla a=Y",  // 20-27
    "sra b=Y", "sra c=Y", "sra d=Y", "sra e=Y", "sra h=Y", "sra l=Y", "sra Y", "sra a=Y",  // 28-2F
    "sll b=Y", "sll c=Y", "sll d=Y", "sll e=Y", "sll h=Y", "sll l=Y", "sll Y", "sll a=Y",  // 30-37
    "srl b=Y", "srl c=Y", "srl d=Y", "srl e=Y", "srl h=Y", "srl l=Y", "srl Y", "srl a=Y",  // 38-3F
    "bit b=0,Y", "bit c=0,Y", "bit d=0,Y", "bit e=0,Y", "bit h=0,Y", "bit l=0,Y", "bit 0,Y", "bit a=0,Y",  // 40-47
    "bit b=1,Y", "bit c=1,Y", "bit d=1,Y", "bit e=1,Y", "bit h=1,Y", "bit l=1,Y", "bit 1,Y", "bit a=1,Y",  // 48-4F
    "bit b=2,Y", "bit c=2,Y", "bit d=2,Y", "bit e=2,Y", "bit h=2,Y", "bit l=2,Y", "bit 2,Y", "bit a=2,Y",  // 50-57
    "bit b=3,Y", "bit c=3,Y", "bit d=3,Y", "bit e=3,Y", "bit h=3,Y", "bit l=3,Y", "bit 3,Y", "bit a=3,Y",  // 58-5F
    "bit b=4,Y", "bit c=4,Y", "bit d=4,Y", "bit e=4,Y", "bit h=4,Y", "bit l=4,Y", "bit 4,Y", "bit a=4,Y",  // 60-67
    "bit b=5,Y", "bit c=5,Y", "bit d=5,Y", "bit e=5,Y", "bit h=5,Y", "bit l=5,Y", "bit 5,Y", "bit a=5,Y",  // 68-6F
    "bit b=6,Y", "bit c=6,Y", "bit d=6,Y", "bit e=6,Y", "bit h=6,Y", "bit l=6,Y", "bit 6,Y", "bit a=6,Y",  // 70-77
    "bit b=7,Y", "bit c=7,Y", "bit d=7,Y", "bit e=7,Y", "bit h=7,Y", "bit l=7,Y", "bit 7,Y", "bit a=7,Y",  // 78-7F
    "res b=0,Y", "res c=0,Y", "res d=0,Y", "res e=0,Y", "res h=0,Y", "res l=0,Y", "res 0,Y", "res a=0,Y",  // 80-87
    "res b=1,Y", "res c=1,Y", "res d=1,Y", "res e=1,Y", "res h=1,Y", "res l=1,Y", "res 1,Y", "res a=1,Y",  // 88-8F
    "res b=2,Y", "res c=2,Y", "res d=2,Y", "res e=2,Y", "res h=2,Y", "res l=2,Y", "res 2,Y", "res a=2,Y",  // 90-97
    "res b=3,Y", "res c=3,Y", "res d=3,Y", "res e=3,Y", "res h=3,Y", "res l=3,Y", "res 3,Y", "res a=3,Y",  // 98-9F
    "res b=4,Y", "res c=4,Y", "res d=4,Y", "res e=4,Y", "res h=4,Y", "res l=4,Y", "res 4,Y", "res a=4,Y",  // A0-A7
    "res b=5,Y", "res c=5,Y", "res d=5,Y", "res e=5,Y", "res h=5,Y", "res l=5,Y", "res 5,Y", "res a=5,Y",  // A8-AF
    "res b=6,Y", "res c=6,Y", "res d=6,Y", "res e=6,Y", "res h=6,Y", "res l=6,Y", "res 6,Y", "res a=6,Y",  // B0-B7
    "res b=7,Y", "res c=7,Y", "res d=7,Y", "res e=7,Y", "res h=7,Y", "res l=7,Y", "res 7,Y", "res a=7,Y",  // B8-BF
    "set b=0,Y", "set c=0,Y", "set d=0,Y", "set e=0,Y", "set h=0,Y", "set l=0,Y", "set 0,Y", "set a=0,Y",  // C0-C7
    "set b=1,Y", "set c=1,Y", "set d=1,Y", "set e=1,Y", "set h=1,Y", "set l=1,Y", "set 1,Y", "set a=1,Y",  // C8-CF
    "set b=2,Y", "set c=2,Y", "set d=2,Y", "set e=2,Y", "set h=2,Y", "set l=2,Y", "set 2,Y", "set a=2,Y",  // D0-D7
    "set b=3,Y", "set c=3,Y", "set d=3,Y", "set e=3,Y", "set h=3,Y", "set l=3,Y", "set 3,Y", "set a=3,Y",  // D8-DF
    "set b=4,Y", "set c=4,Y", "set d=4,Y", "set e=4,Y", "set h=4,Y", "set l=4,Y", "set 4,Y", "set a=4,Y",  // E0-E7
    "set b=5,Y", "set c=5,Y", "set d=5,Y", "set e=5,Y", "set h=5,Y", "set l=5,Y", "set 5,Y", "set a=5,Y",  // E8-EF
    "set b=6,Y", "set c=6,Y", "set d=6,Y", "set e=6,Y", "set h=6,Y", "set l=6,Y", "set 6,Y", "set a=6,Y",  // F0-F7
    "set b=7,Y", "set c=7,Y", "set d=7,Y", "set e=7,Y", "set h=7,Y", "set l=7,Y", "set 7,Y", "set a=7,Y",  // F8-FF
};
// clang-format on

}  // namespace vantorel
