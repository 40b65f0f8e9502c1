Attribute VB_Name = "modA"
Public Enum E
  a = &H10
  b
End Enum
Const C& = a + b * 2, D = "LOGO"
x = VB.LoadResString(C& - 1) _
  & LoadResData(D, "PNG") ' LoadResString(9) _
  LoadResPicture(3)
Rem LoadResString(1)
y = LoadResPicture(index:=E.b, format:=vbResIcon): z = LoadResString(GetId(1))#If X ThenLoadResString("#12")