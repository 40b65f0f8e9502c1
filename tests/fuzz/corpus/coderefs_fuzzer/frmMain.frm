VERSION 5.00
Begin VB.Form frmMain 
   Caption         =   "Quill Demo"
   ClientHeight    =   3195
   ClientLeft      =   60
   ClientTop       =   345
   ClientWidth     =   4680
   LinkTopic       =   "Form1"
   ScaleHeight     =   3195
   ScaleWidth      =   4680
   StartUpPosition =   3  'Windows Default
   Begin VB.CommandButton cmdHello 
      Caption         =   "Hello"
      Height          =   495
      Left            =   1680
      TabIndex        =   0
      Top             =   1320
      Width           =   1215
   End
   Begin VB.Label lblWelcome 
      Caption         =   "Welcome"
      Height          =   375
      Left            =   240
      TabIndex        =   1
      Top             =   360
      Width           =   4215
   End
   Begin VB.Menu mnuFile 
      Caption         =   "&File"
      Begin VB.Menu mnuOpen 
         Caption         =   "&Open..."
      End
      Begin VB.Menu mnuSave 
         Caption         =   "&Save"
      End
      Begin VB.Menu mnuSaveAs 
         Caption         =   "Save &As..."
      End
      Begin VB.Menu mnuExit 
         Caption         =   "E&xit"
      End
   End
   Begin VB.Menu mnuEdit 
      Caption         =   "&Edit"
      Begin VB.Menu mnuCopy 
         Caption         =   "&Copy"
      End
      Begin VB.Menu mnuPaste 
         Caption         =   "&Paste"
      End
      Begin VB.Menu mnuSettings 
         Caption         =   "Se&ttings"
      End
   End
   Begin VB.Menu mnuHelp 
      Caption         =   "&Help"
      Begin VB.Menu mnuAbout 
         Caption         =   "&About"
      End
   End
End
Attribute VB_Name = "frmMain"
Attribute VB_GlobalNameSpace = False
Attribute VB_Creatable = False
Attribute VB_PredeclaredId = True
Attribute VB_Exposed = False
Option Explicit

Private mGreeting As clsGreeting

Private Sub Form_Load()
    Set mGreeting = New clsGreeting
    Caption = LoadResString(IDS_TITLE)
    lblWelcome.Caption = LoadResString(IDS_WELCOME)
    cmdHello.Caption = LoadResString(IDS_HELLO)
    mnuFile.Caption = LoadResString(IDS_FILE)
    mnuOpen.Caption = LoadResString(IDS_OPEN)
    mnuSave.Caption = LoadResString(IDS_SAVE)
    mnuSaveAs.Caption = LoadResString(IDS_SAVEAS)
    mnuExit.Caption = LoadResString(IDS_EXIT)
    mnuEdit.Caption = LoadResString(IDS_EDIT)
    mnuCopy.Caption = LoadResString(IDS_COPY)
    mnuPaste.Caption = LoadResString(IDS_PASTE)
    mnuSettings.Caption = LoadResString(IDS_SETTINGS)
    mnuHelp.Caption = LoadResString(IDS_HELP)
    mnuAbout.Caption = LoadResString(IDS_ABOUT)
End Sub

Private Sub Form_QueryUnload(Cancel As Integer, UnloadMode As Integer)
    If MsgBox(LoadResString(IDS_SAVECHANGES), vbQuestion Or vbYesNoCancel, _
              LoadResString(IDS_TITLE)) = vbCancel Then Cancel = True
End Sub

Private Sub mnuOpen_Click()
    Dim fileName As String
    fileName = InputBox(LoadResString(IDS_OPEN), LoadResString(IDS_TITLE))
    If Len(fileName) = 0 Then Exit Sub
    If Len(Dir$(fileName)) = 0 Then MsgBox LoadResString(IDS_NOTFOUND), vbExclamation, LoadResString(IDS_TITLE)
End Sub

Private Sub mnuExit_Click()
    Unload Me
End Sub

Private Sub mnuAbout_Click()
    MsgBox LoadResString(IDS_TITLE) & " " & App.Major & "." & App.Minor, vbInformation, LoadResString(IDS_ABOUT)
End Sub

Private Sub cmdHello_Click()
    MsgBox mGreeting.Text, vbInformation, LoadResString(IDS_TITLE)
End Sub

Private Sub Form_Unload(Cancel As Integer)
    Set mGreeting = Nothing
End Sub
