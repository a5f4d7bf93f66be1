object frm_Test: Tfrm_Test
  Left = 100
  Top = 80
  ClientHeight = 200
  ClientWidth = 300
  // written after the client size on purpose: the size must not depend on the order
  BorderStyle = bsNone
  Caption = 'frm_Test'
  Color = clBtnFace
  Font.Charset = GB2312_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  OnCreate = FormCreate
  object pnlTop: TWinControl
    Left = 0
    Top = 0
    Width = 300
    Height = 40
    Align = alTop
    Color = $00FFFFFF
    OnMouseDown = pnlTopMouseDown
    object imgClose: TTestPicture
      Left = 200
      Top = 0
      Width = 10
      Height = 10
      Align = alRight
      AutoSize = True
      Cursor = crHandPoint
      Picture = BTN_CLOSE
      Transparent = True
      OnClick = imgCloseClick
    end
  end
  object pnlBody: TWinControl
    Left = 0
    Top = 40
    Width = 300
    Height = 160
    Align = alClient
    Font.Name = '微软雅黑'
    Font.Height = -13
    Font.Color = $B57C48
    Font.Style = [fsBold]
    object pnlSide: TWinControl
      Left = 250
      Top = 0
      Width = 50
      Height = 160
      Align = alRight
      Visible = False
    end
    object labInfo: TGraphicControl
      Left = 10
      Top = 20
      Width = 100
      Height = 19
      Anchors = [akRight, akBottom]
      Caption = '保存路径：'
      Hint = 'it''s'
      Tag = 7
    end
    object edtA: TCustomControl
      Left = 10
      Top = 50
      Width = 80
      Height = 20
      TabStop = True
      TabOrder = 2
    end
    object edtB: TCustomControl
      Left = 10
      Top = 80
      Width = 80
      Height = 20
      TabStop = True
      TabOrder = 1
    end
    object edtC: TCustomControl
      Left = 10
      Top = 110
      Width = 80
      Height = 20
      TabStop = True
      TabOrder = 0
    end
  end
end
