' DIM SHARED arrays and variables declared AS a type are seen with that type inside SUBs.
DIM SHARED Big(100) AS INTEGER, Name AS STRING, Count AS LONG
DIM Local(3)
Fill
PRINT Big(100); Name; Count
CALL Other
PRINT Local(1)
SUB Fill
    FOR I = 0 TO 100: Big(I) = I: NEXT
    Name = "shared"
    Count = 70000
END SUB
SUB Other
    SHARED Local()
    Local(1) = 9
END SUB
'> text 1:  100 shared 70000
'> text 2:  9
