Attribute VB_Name = "modNoRes"
Option Explicit

' This project keeps its texts in code: it has no resource file.
Public Function VersionText() As String
    VersionText = "NoRes " & App.Major & "." & App.Minor & "." & App.Revision
End Function
