object Form1: TForm1
  Left = 214
  Top = 161
  BorderStyle = bsDialog
  Caption = 'TARNVEX'
  ClientHeight = 98
  ClientWidth = 229
  Color = clBtnFace
  Font.Charset = SHIFTJIS_CHARSET
  Font.Color = clWindowText
  Font.Height = -12
  Font.Name = 'ＭＳ Ｐゴシック'
  Font.Style = []
  OldCreateOrder = False
  PixelsPerInch = 96
  TextHeight = 12
  object Label1: TLabel
    Left = 36
    Top = 12
    Width = 128
    Height = 12
    Caption = '2019年10月1日 10% 対応'
  end
  object Button1: TButton
    Left = 36
    Top = 36
    Width = 151
    Height = 25
    Caption = '消費税率データの修復'
    TabOrder = 0
    OnClick = Button1Click
  end
end
