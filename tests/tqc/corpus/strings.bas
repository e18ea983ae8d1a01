A$ = "Hello, World"
PRINT LEFT$(A$, 5); "|"; RIGHT$(A$, 5); "|"; MID$(A$, 8, 3); "|"; MID$(A$, 8)
PRINT LEN(A$); LEN(""); INSTR(A$, "o"); INSTR(6, A$, "o"); INSTR(A$, "z")
PRINT UCASE$("abc"); LCASE$("DeF"); "["; LTRIM$("  x  "); "]["; RTRIM$("  x  "); "]"
PRINT ASC("A"); CHR$(66); STR$(42); "|"; STR$(-3.5); "|"; VAL("  12.5xyz"); VAL("&HFF"); VAL("1D2")
PRINT SPACE$(3); "|"; STRING$(3, "*"); STRING$(2, 65); HEX$(255); " "; HEX$(-1); " "; OCT$(8); " "; HEX$(-1&)
B$ = "abc": B$ = B$ + B$: PRINT B$; "abc" < "abd"; "b" > "abc"; "x" = "x"
MID$(B$, 2, 2) = "XY": PRINT B$
PRINT LEFT$(A$, 0); "|"; LEFT$(A$, 100); "|"; MID$(A$, 20); "|"; RIGHT$("ab", 5)
PRINT LEN(STRING$(1000, "a")); _TRIM$("  y "); "|"; _INSTRREV(A$, "o"); ASC("abc", 2)
X = ASC("")
PRINT "."
'> text 1: Hello|World|Wor|World
'> text 2:  12  0  5  9  0
'> text 3: ABCdef[x  ][  x]
'> text 4:  65 B 42|-3.5| 12.5  255  100
'> text 5:    |***AAFF FFFF 10 FFFFFFFF
'> text 6: abcabc-1 -1 -1
'> text 7: aXYabc
'> text 8: |Hello, World||ab
'> text 9:  1000 y| 9  98
'> error 5 line 11
'> text 10: .
