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
End Sub

Private Sub cmdHello_Click()
    MsgBox mGreeting.Text, vbInformation, LoadResString(IDS_TITLE)
End Sub

Private Sub Form_Unload(Cancel As Integer)
    Set mGreeting = Nothing
End Sub
