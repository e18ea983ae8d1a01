' A text-mode menu: Up and Down move the bar, Enter chooses, Esc leaves.
_TITLE "tqc example: menu"
DIM SHARED Items$(1 TO 4), Choice
Items$(1) = "Launch the rocket"
Items$(2) = "Count the stars"
Items$(3) = "Feed the cat"
Items$(4) = "Water the plants"
Choice = 1

COLOR 15, 1
CLS
LOCATE 2, 30: PRINT "*** Main menu ***"
COLOR 7, 1
LOCATE 23, 20: PRINT "Up/Down: move   Enter: choose   Esc: leave"
DrawMenu

DO
    K$ = INKEY$
    SELECT CASE K$
        CASE CHR$(0) + "H": IF Choice > 1 THEN Choice = Choice - 1
        CASE CHR$(0) + "P": IF Choice < 4 THEN Choice = Choice + 1
        CASE CHR$(13)
            COLOR 14, 1
            LOCATE 18, 25: PRINT "You chose: "; Items$(Choice); SPACE$(20 - LEN(Items$(Choice)))
        CASE CHR$(27): EXIT DO
    END SELECT
    IF K$ <> "" THEN DrawMenu
    _LIMIT 60
LOOP
COLOR 7, 0
END

' The items, the chosen one in black on grey.
SUB DrawMenu
    FOR I = 1 TO 4
        IF I = Choice THEN COLOR 0, 7 ELSE COLOR 7, 1
        LOCATE 6 + I * 2, 30
        PRINT " "; Items$(I); SPACE$(18 - LEN(Items$(I)))
    NEXT
END SUB
