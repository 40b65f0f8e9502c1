Attribute VB_Name = "modMain"
Option Explicit

' String IDs of Demo.res
Public Const IDS_FILE As Long = 101
Public Const IDS_OPEN As Long = 102
Public Const IDS_SAVE As Long = 103
Public Const IDS_SAVEAS As Long = 104
Public Const IDS_EXIT As Long = 105
Public Const IDS_EDIT As Long = 106
Public Const IDS_COPY As Long = 107
Public Const IDS_PASTE As Long = 108
Public Const IDS_HELP As Long = 109
Public Const IDS_ABOUT As Long = 110
Public Const IDS_HELLO As Long = 111
Public Const IDS_WELCOME As Long = 112
Public Const IDS_SAVECHANGES As Long = 113
Public Const IDS_NOTFOUND As Long = 114
Public Const IDS_SETTINGS As Long = 115
Public Const IDS_TITLE As Long = 116

Public Sub Main()
    frmMain.Show
End Sub
