DIM M(2, 3) AS INTEGER
FOR R = 0 TO 2: FOR C = 0 TO 3: M(R, C) = R * 10 + C: NEXT C, R
PRINT M(1, 2); M(2, 3)
DIM L&(-2 TO 2)
L&(-2) = 7: PRINT L&(-2); L&(2)
Q(3) = 4: PRINT Q(3); Q(10)
N = 4: DIM D(N): D(4) = 1: PRINT D(4)
PRINT M(3, 0)
X = L&(5)
PRINT "done"
SWAP M(0, 0), M(2, 3): PRINT M(0, 0); M(2, 3)
A$ = "x": B$ = "y": SWAP A$, B$: PRINT A$; B$
DIM W$(2): W$(1) = "hi": PRINT W$(1); LEN(W$(0))
DIM E(2 TO 3)
E(1) = 5
'> text 1:  12  23
'> text 2:  7  0
'> text 3:  4  0
'> text 4:  1
'> error 9 line 8
'> error 9 line 9
'> text 5: done
'> text 6:  23  0
'> text 7: yx
'> text 8: hi 0
'> error 9 line 15
