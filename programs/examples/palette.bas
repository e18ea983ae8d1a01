' Palette cycling: 63 stripes are drawn once; only the palette changes after that.
' Any key ends it.
SCREEN 13
_TITLE "tqc example: palette cycling"
DIM R(63) AS LONG, G(63) AS LONG, B(63) AS LONG

FOR C = 1 TO 63
    LINE ((C - 1) * 5, 0)-(C * 5 - 1, 199), C, BF
    ' Three waves of red, green and blue, each from 0 to 63
    R(C) = 31 + 31 * SIN(C * 0.1)
    G(C) = 31 + 31 * SIN(C * 0.1 + 2.1)
    B(C) = 31 + 31 * SIN(C * 0.1 + 4.2)
NEXT

SHIFT% = 0
DO
    FOR C = 1 TO 63
        K = (C + SHIFT%) MOD 63 + 1
        ' PALETTE takes blue * 65536 + green * 256 + red, six bits each
        PALETTE C, B(K) * 65536 + G(K) * 256 + R(K)
    NEXT
    SHIFT% = (SHIFT% + 1) MOD 63
    _LIMIT 20
LOOP WHILE INKEY$ = ""
END
