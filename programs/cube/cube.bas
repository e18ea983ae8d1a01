SCREEN 12
DEFLNG F ' FRAME counts the frames drawn: a 32-bit LONG
_TITLE "Spinavorte - (C) dzm/TeKoN^ZT^JW 2025"

' The cube's eight corners, and where they land on the screen this frame
DIM VX(8), VY(8), VZ(8)
DIM SXP(8), SYP(8)

' OXP and OYP (where the corners were last frame) are made on first use,
' with room for elements 0 to 10

FOR I = 1 TO 8
    READ VX(I), VY(I), VZ(I)
NEXT I

' The twelve edges, as pairs of corner numbers
DIM E1(12), E2(12)

' Edge I runs from corner E1(I) to corner E2(I)


FOR I = 1 TO 12
    READ E1(I), E2(I)
NEXT I

ANGLEX = 0
ANGLEY = 0
FRAME = 0

' One frame a turn
DO
    SCREEN 12

    ' Count the frame
    FRAME = FRAME + 1

    ' Turn the cube a little about both axes
    ANGLEX = ANGLEX + 3
    ANGLEY = ANGLEY + 5

    CX = COS(ANGLEX)
    SX = SIN(ANGLEX)
    CY = COS(ANGLEY)
    SY = COS(ANGLEY)

    ' Once more, with the right sine this time
    CX = COS(ANGLEX): SX = SIN(ANGLEX)
    CY = COS(ANGLEY): SY = SIN(ANGLEY)

    ' Project each corner onto the screen
    FOR I = 1 TO 8
        ' about the x axis
        Y1 = VY(I) * CX - VZ(I) * SX
        Z1 = VY(I) * SX + VZ(I) * CX

        ' about the y axis
        X2 = VX(I) * CY + Z1 * SY
        Z2 = -VX(I) * SY + Z1 * CY

        ' perspective: the viewer stands 3 units away
        DISTANCE = 3
        SCALE = 200 / (Z2 + DISTANCE)

        SXP(I) = X2 * SCALE + 320
        SYP(I) = Y1 * SCALE + 240
    NEXT I

    ' The previous wireframe in black
    FOR I = 1 TO 12
        LINE (OXP(E1(I)), OYP(E1(I)))-(OXP(E2(I)), OYP(E2(I))), 0
    NEXT I

    ' The new one in white
    FOR I = 1 TO 12
        LINE (SXP(E1(I)), SYP(E1(I)))-(SXP(E2(I)), SYP(E2(I))), 15
    NEXT I

    ' Remember where the corners are, to erase them next frame
    FOR I = 1 TO 8
        OXP(I) = SXP(I)
        OYP(I) = SYP(I)
    NEXT I

    ' The counter and the texts
    LOCATE 2, 2
    COLOR 11
    PRINT "Frames Drawn:"; FRAME; "      "
    LOCATE 25, 4
    COLOR 8
    PRINT "if you do nothing, the program will"
    LOCATE 26, 4
    COLOR 8
    PRINT "redraw the cube once every second."
    LOCATE 28, 4
    COLOR 9
    PRINT "Shift=Click"
    LOCATE 28, 20
    COLOR 4
    PRINT "Other=Exit"
    LOCATE 2, 35
    COLOR 15
    PRINT "coded by dzm/TeKoN^ZT^JW with Trellicode 4.5."
    LOCATE 3, 31
    COLOR 15
    PRINT "made for the combined demo compo at Palmora 2025."
    LOCATE 25, 60

    ' Wait a second, or less when a key is pressed
    SLEEP 1

LOOP UNTIL INKEY$ <> ""
END

' The corners: x, y, z
DATA -1,-1,-1, 1,-1,-1, 1,1,-1, -1,1,-1
DATA -1,-1,1, 1,-1,1, 1,1,1, -1,1,1
' The edges: from, to
DATA 1,2, 2,3, 3,4, 4,1, 5,6, 6,7, 7,8, 8,5, 1,5, 2,6, 3,7, 4,8
