object frm_Main: Tfrm_Main
  Left = 428
  Top = 161
  BorderStyle = bsNone
  Caption = 'frm_Main'
  ClientHeight = 416
  ClientWidth = 620
  Color = clBtnFace
  Font.Charset = DEFAULT_CHARSET
  Font.Color = clWindowText
  Font.Height = -11
  Font.Name = 'MS Sans Serif'
  Font.Style = []
  OnClose = FormClose
  OnCreate = FormCreate
  OnShow = FormShow
  PixelsPerInch = 96
  TextHeight = 13
  object pnlGg: TBriskPanel
    Left = 0
    Top = 0
    Width = 620
    Height = 416
    Align = alClient
    Color = $00FFFFFF
    BorderOuter = fsNone
    object imgTop: TImage
      Left = 0
      Top = 0
      Width = 620
      Height = 241
      Align = alTop
      AutoSize = True
      Picture = BANNER
      OnMouseDown = imgTopMouseDown
    end
    object pnlMinClose: TBriskPanel
      Left = 539
      Top = 0
      Width = 81
      Height = 27
      Transparent = True
      BorderOuter = fsNone
      object btnSmall: TPNGImageButtonEx
        AccessibleName = '最小化'
        Left = 21
        Top = 0
        Width = 30
        Height = 27
        Align = alRight
        Cursor = crHandPoint
        PngImg = BTN_MIN
        PngOver = BTN_MIN_HOVER
        OnClick = btnSmallClick
      end
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
        Visible = False
        OnClick = btnCloseClick
      end
    end
    object PC: TPageControl
      Left = 0
      Top = 241
      Width = 620
      Height = 175
      Align = alClient
      Style = tsFlatButtons
      ActivePage = TS3
      object TS1: TTabSheet
        Caption = 'TS1'
        object pnlTS1: TBriskPanel
          Left = 0
          Top = 0
          Width = 612
          Height = 144
          Align = alClient
          Transparent = True
          BorderOuter = fsNone
          object labCustom: TLabel
            Left = 512
            Top = 127
            Width = 60
            Height = 17
            Cursor = crHandPoint
            Caption = '自定义下载'
            Font.Charset = GB2312_CHARSET
            Font.Color = $008D8D8D
            Font.Height = -12
            Font.Name = '微软雅黑'
            Font.Style = []
            Transparent = True
            Visible = False
            OnClick = labCustomClick
          end
          object imgGray: TImage
            Left = 576
            Top = 128
            Width = 14
            Height = 15
            AutoSize = True
            Picture = ARROW_GRAY
            Visible = False
          end
          object btnDownloadNow: TImage
            AccessibleName = '立即下载'
            Left = 199
            Top = 42
            Width = 215
            Height = 57
            Cursor = crHandPoint
            AutoSize = True
            Picture = BTN_DOWNLOAD_NOW
            OnClick = btnDownloadNowClick
          end
          object pnlRdbtn: TBriskPanel
            Left = 6
            Top = 103
            Width = 153
            Height = 40
            Transparent = True
            BorderOuter = fsNone
            object rdbDX: TTesselRadioButton
              Left = 6
              Top = 24
              Width = 49
              Height = 17
              Caption = '电信'
              Alignment = taLeftJustify
              Transparent = True
              CheckPointColor = $00800000
              Checked = True
            end
            object RdbLT: TTesselRadioButton
              Left = 54
              Top = 24
              Width = 49
              Height = 17
              Caption = '联通'
              Alignment = taLeftJustify
              Transparent = True
              CheckPointColor = $00800000
            end
          end
        end
      end
      object TS2: TTabSheet
        Caption = 'TS2'
        Font.Charset = DEFAULT_CHARSET
        Font.Color = clWindowText
        Font.Height = -11
        Font.Name = 'MS Sans Serif'
        Font.Style = []
        OnShow = TS2Show
        object pnlTS2: TBriskPanel
          Left = 0
          Top = 0
          Width = 612
          Height = 144
          Align = alClient
          Transparent = True
          BorderOuter = fsNone
          object labDirInfo: TLabel
            Left = 43
            Top = 29
            Width = 65
            Height = 19
            Caption = '保存路径：'
            Font.Charset = GB2312_CHARSET
            Font.Color = $00000000
            Font.Height = -13
            Font.Name = '微软雅黑'
            Font.Style = []
            Transparent = True
          end
          object labBack: TLabel
            Left = 543
            Top = 122
            Width = 46
            Height = 19
            Cursor = crHandPoint
            Caption = '<<返回'
            Font.Charset = GB2312_CHARSET
            Font.Color = $00B57C48
            Font.Height = -13
            Font.Name = '微软雅黑'
            Font.Style = []
            Transparent = True
            OnClick = labBackClick
          end
          object btnDownload: TImage
            AccessibleName = '立即下载'
            Left = 208
            Top = 90
            Width = 196
            Height = 50
            Cursor = crHandPoint
            AutoSize = True
            Picture = BTN_DOWNLOAD
            OnClick = btnDownloadClick
          end
          object btnDir: TImage
            AccessibleName = '更改'
            Left = 482
            Top = 26
            Width = 70
            Height = 26
            Cursor = crHandPoint
            AutoSize = True
            Picture = BTN_DIR
            OnClick = btnDirClick
          end
          object edtDir: TTesselEditEx
            AccessibleName = '保存路径：'
            Left = 111
            Top = 27
            Width = 362
            Height = 23
            BorderColor = clBtnShadow
            FocusBorderColor = clBtnShadow
            DisableColor = clBtnShadow
            UnfocusedColor = clBtnShadow
            Font.Charset = DEFAULT_CHARSET
            Font.Color = $00808080
            Font.Height = -11
            Font.Name = 'MS Sans Serif'
            Font.Style = []
            ReadOnly = True
            OnExit = edtDirExit
          end
        end
      end
      object TS3: TTabSheet
        Caption = 'TS3'
        object pnlTS3: TBriskPanel
          Left = 0
          Top = 0
          Width = 612
          Height = 144
          Align = alClient
          Transparent = True
          BorderOuter = fsNone
          object labProcess: TLabel
            Left = 32
            Top = 18
            Width = 98
            Height = 19
            Caption = '正在下载（0%）'
            Font.Charset = GB2312_CHARSET
            Font.Color = $00000000
            Font.Height = -13
            Font.Name = '微软雅黑'
            Font.Style = []
            Transparent = True
          end
          object labSpeed: TLabel
            Left = 342
            Top = 19
            Width = 240
            Height = 17
            Alignment = taRightJustify
            AutoSize = False
            Font.Charset = GB2312_CHARSET
            Font.Color = $008D8D8D
            Font.Height = -12
            Font.Name = '微软雅黑'
            Font.Style = []
            Transparent = True
          end
          object btnInstall: TImage
            AccessibleName = '立即安装'
            Left = 209
            Top = 81
            Width = 194
            Height = 48
            Cursor = crHandPoint
            AutoSize = True
            Picture = BTN_INSTALL
            Visible = False
            OnClick = btnInstallClick
          end
          object Panel1: TPanel
            Left = 21
            Top = 38
            Width = 569
            Height = 42
            BevelOuter = bvNone
            Color = $00FFFFFF
            object imgProcessOuter: TImage
              AccessibleRole = arProgressBar
              Left = 10
              Top = 6
              Width = 551
              Height = 19
              Picture = PROGRESS_TRACK
              Stretch = True
            end
            object imgProcessInner: TImage
              Left = 10
              Top = 6
              Width = 0
              Height = 19
              Picture = PROGRESS_BAR
            end
          end
        end
      end
    end
  end
end
