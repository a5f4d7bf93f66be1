object frm_Info: Tfrm_Info
  Left = 482
  Top = 281
  BorderStyle = bsNone
  Caption = 'frm_Info'
  ClientHeight = 161
  ClientWidth = 413
  Color = $00FFFFFF
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 13
  object Label1: TLabel
    Left = 75
    Top = 53
    Width = 329
    Height = 43
    AutoSize = False
    Caption = '在线下载异常，您可以选择重新下载或直接下载安装包安装'
    Font.Charset = GB2312_CHARSET
    Font.Color = clWindowText
    Font.Height = -16
    Font.Name = '微软雅黑'
    Font.Style = []
    ParentColor = True
    WordWrap = True
  end
  object Image1: TImage
    Left = 13
    Top = 49
    Width = 60
    Height = 54
    AutoSize = True
    Picture = PROMPT_INFO_SIGN
  end
  object pnl_Titile: TBriskPanel
    Left = 0
    Top = 0
    Width = 413
    Height = 35
    Align = alTop
    BackgroundPicture = PROMPT_TITLE
    BackgroundOptions = [poStretch]
    BorderOuter = fsNone
    OnMouseDown = pnl_TitileMouseDown
    object lblSysTitle: TLabel
      Left = 17
      Top = 7
      Width = 60
      Height = 19
      Caption = '提示信息'
      Font.Charset = GB2312_CHARSET
      Font.Color = $00FFFFFF
      Font.Height = -15
      Font.Name = '微软雅黑'
      Font.Style = [fsBold]
      Transparent = True
    end
    object briskPnlTopRight: TBriskPanel
      Left = 313
      Top = 0
      Width = 100
      Height = 35
      Align = alRight
      Transparent = True
      BorderOuter = fsNone
    end
    object pnlMinClose: TBriskPanel
      Left = 332
      Top = 0
      Width = 81
      Height = 27
      Transparent = True
      BorderOuter = fsNone
      object btnClose: TPNGImageButtonEx
        AccessibleName = '关闭'
        Left = 51
        Top = 0
        Width = 30
        Height = 27
        Align = alRight
        Cursor = crHandPoint
        PngImg = BTN_CLOSE
        PngOver = BTN_CLOSE_HOVER
        OnClick = btnCloseClick
      end
    end
  end
  object pnl_bottom: TBriskPanel
    Left = 0
    Top = 120
    Width = 413
    Height = 41
    Align = alBottom
    Color = $00F7F3F0
    BorderOuter = fsNone
    object btnReLoad: TImage
      AccessibleName = '重新下载'
      Left = 331
      Top = 8
      Width = 66
      Height = 27
      Cursor = crHandPoint
      AutoSize = True
      Picture = BTN_RELOAD
      OnClick = btnReLoadClick
    end
    object btnUseIE: TImage
      AccessibleName = '点击下载安装包'
      AccessibleRole = arLink
      Left = 19
      Top = 15
      Width = 105
      Height = 17
      Cursor = crHandPoint
      AutoSize = True
      Picture = BTN_USE_BROWSER
      OnClick = btnUseIEClick
    end
  end
end
