' Starfield: two hundred stars fly toward you, thirty frames a second.
' Any key ends it.
SCREEN 13
_TITLE "tqc example: starfield"
CONST STARS = 200
DIM X(STARS), Y(STARS), Z(STARS), PX(STARS), PY(STARS)

RANDOMIZE 1
FOR I = 1 TO STARS
    NewStar I
    Z(I) = RND
NEXT

DO
    FOR I = 1 TO STARS
        PSET (PX(I), PY(I)), 0 ' rub out the star where it was
        Z(I) = Z(I) - 0.01
        IF Z(I) <= 0.01 THEN NewStar I
        ' Perspective: the nearer the star, the farther from the centre
        PX(I) = 160 + X(I) / Z(I) * 80
        PY(I) = 100 + Y(I) / Z(I) * 50
        ' Colours 16 to 31 are greys from black to white: near stars shine brighter
        PSET (PX(I), PY(I)), 31 - INT(Z(I) * 15)
    NEXT
    _LIMIT 30
LOOP WHILE INKEY$ = ""
END

SUB NewStar (N)
    SHARED X(), Y(), Z()
    X(N) = RND * 2 - 1
    Y(N) = RND * 2 - 1
    Z(N) = 1
END SUB
