DECLARE SUB Twice (X)
DIM SHARED Total AS LONG
A = 5
Twice A
PRINT A
Twice (A)
PRINT A
CALL Twice(A)
PRINT A
PRINT Fact(10); Fib%(15)
S$ = "ab": AddBang S$: PRINT S$
DIM Arr(1 TO 5) AS INTEGER
FillArr Arr()
PRINT Arr(1); Arr(5); SumArr&(Arr())
CALL Bump: CALL Bump: PRINT Total
PRINT Scope; A
PRINT Rev$("abc"); Rev$(Rev$("xy"))
CALL Boom
PRINT "back"
END

SUB Twice (X)
    X = X * 2
END SUB

FUNCTION Fact (N)
    IF N <= 1 THEN Fact = 1 ELSE Fact = N * Fact(N - 1)
END FUNCTION

FUNCTION Fib% (N AS INTEGER)
    IF N < 2 THEN Fib% = N: EXIT FUNCTION
    Fib% = Fib%(N - 1) + Fib%(N - 2)
END FUNCTION

SUB AddBang (T$)
    T$ = T$ + "!"
END SUB

SUB FillArr (V() AS INTEGER)
    FOR I = 1 TO 5: V(I) = I * I: NEXT
END SUB

FUNCTION SumArr& (V() AS INTEGER)
    FOR I = 1 TO 5: S& = S& + V(I): NEXT
    SumArr& = S&
END FUNCTION

SUB Bump
    Total = Total + 1
END SUB

FUNCTION Scope
    A = 99
    Scope = A + 1
END FUNCTION

FUNCTION Rev$ (S$)
    FOR I = LEN(S$) TO 1 STEP -1: R$ = R$ + MID$(S$, I, 1): NEXT
    Rev$ = R$
END FUNCTION

SUB Boom
    X% = 32767
    X% = X% + 1
END SUB

' A local that is only ever stored to still builds without warnings.
SUB StoreOnly
    Kept& = 7
END SUB
'> text 1:  10
'> text 2:  10
'> text 3:  20
'> text 4:  3628800  610
'> text 5: ab!
'> text 6:  1  25  55
'> text 7:  2
'> text 8:  100  20
'> text 9: cbaxy
'> error 6 line 64
'> text 10: back
