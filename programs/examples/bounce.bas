' A bouncing ball in its own coordinates: WINDOW makes the screen run from -10 to 10 both ways,
' with y going up. Two pages: each frame is drawn on the hidden one, then copied to the
' visible one with PCOPY, so the ball never flickers. Any key ends it.
SCREEN 7, , 1, 0
_TITLE "tqc example: bouncing ball"
WINDOW (-10, -10)-(10, 10)

X = -6: Y = 6: VX = 0.13: VY = 0: R = 1
DO
    CLS
    LINE (-10, -10)-(10, -9), 2, BF ' the floor
    CIRCLE (X, Y), R, 14
    CIRCLE (X, Y), R / 2, 12
    PCOPY 1, 0

    VY = VY - 0.02 ' gravity
    X = X + VX: Y = Y + VY
    IF Y - R < -9 THEN Y = -9 + R: VY = -VY * 0.97 ' the floor gives a little
    IF X + R > 10 OR X - R < -10 THEN VX = -VX
    _LIMIT 60
LOOP WHILE INKEY$ = ""
END
