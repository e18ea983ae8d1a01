CONST PI = 3.14159, NAME$ = "tqc", BIG& = 100000
CONST TWO = 1 + 1
DEFINT I-N
K = 7 / 2
PRINT K; PI; NAME$; BIG&; TWO
DEFSTR S
S = "text": PRINT S
DIM Z AS DOUBLE
Z = 1 / 3#: PRINT Z
L = 5.5: PRINT L
'> text 1:  4  3.14159 tqc 100000  2
'> text 2: text
'> text 3:  .3333333333333333
'> text 4:  6
