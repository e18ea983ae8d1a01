' An analog clock with a digital one below it, from TIMER (seconds since midnight).
' Any key ends it.
SCREEN 12
_TITLE "tqc example: clock"
CONST PI = 3.141593
CONST CX = 320, CY = 220

CIRCLE (CX, CY), 200, 15
CIRCLE (CX, CY), 4, 12
FOR H = 1 TO 12
    A = H * PI / 6
    LINE (CX + SIN(A) * 180, CY - COS(A) * 180)-(CX + SIN(A) * 195, CY - COS(A) * 195), 14
NEXT

LAST& = -1
DO
    T& = INT(TIMER)
    IF T& <> LAST& THEN
        ' Rub out the hands of the last second, then draw the new ones
        IF LAST& >= 0 THEN Hands LAST&, 0, 0, 0
        Hands T&, 9, 10, 12
        LAST& = T&
        LOCATE 29, 37
        COLOR 11
        PRINT TwoDigits$(T& \ 3600); ":"; TwoDigits$((T& \ 60) MOD 60); ":"; TwoDigits$(T& MOD 60)
    END IF
    _LIMIT 10
LOOP WHILE INKEY$ = ""
END

SUB Hand (A, L, C)
    LINE (CX, CY)-(CX + SIN(A) * L, CY - COS(A) * L), C
END SUB

' The hour, minute and second hands for T& seconds after midnight, in three colours.
SUB Hands (T&, HC, MC, SC)
    S = T& MOD 60
    M = (T& \ 60) MOD 60
    H = (T& \ 3600) MOD 12
    Hand (H + M / 60) * PI / 6, 100, HC
    Hand (M + S / 60) * PI / 30, 150, MC
    Hand S * PI / 30, 170, SC
END SUB

FUNCTION TwoDigits$ (N&)
    TwoDigits$ = RIGHT$("0" + LTRIM$(STR$(N&)), 2)
END FUNCTION
