[System]
SYS_DHCPclient=Disable
SYS_Mask=255.255.255.0
SYS_Gateway=192.168.0.1
SYS_Username=admin
SYS_Password=admin
SYS_Telnet_timeout=5 Mins
SYS_Telnet_option=Enable
SYS_IsSSH=Disable
[5GHz_WirelessSettings]
AWS_80211a_Radio_Wave=On
AWS_80211a_SSID=kav7420
AWS_80211a_SSID_Broadcast=Enable
AWS_80211a_Beacon_Interval=100
AWS_80211a_Rate=Auto
AWS_80211a_DTIM=1
AWS_80211a_11nChannel_Width=Auto 20/40 MHz
AWS_80211a_Channel=Auto
[2.4GHz_WirelessSettings]
[5GHz_SecuritySettings]
SCR_80211a_auth_type=Open System
SCR_80211a_wep_status=Disable
[2.4GHz_SecuritySettings]
[5GHz_Filter]
Flt_80211a_filter_mac_acl=Disable
[2.4GHz_Filter]
[5GHz_MultiSSIDSettings]
MUL_80211a_Multi_Status=Enable
MUL_80211a_Multi_Status=Enable
MUL_80211a_SSID1_Status=Enable
MUL_80211a_SSID1_Ssid=kav7420-1
MUL_80211a_SSID1_Visibility=Enable
MUL_80211a_SSID1_Wmm=Enable
MUL_80211a_SSID1_Security=Open System
MUL_80211a_SSID2_Status=Enable
MUL_80211a_SSID2_Ssid=kav7420-2
MUL_80211a_SSID2_Visibility=Enable
MUL_80211a_SSID2_Wmm=Enable
MUL_80211a_SSID2_Security=WPA2-Personal
MUL_80211a_SSID2_Cipher=Disable
MUL_80211a_SSID2_Group_Key=1800
MUL_80211a_SSID2_PassPhrase=
MUL_80211a_SSID2_AutoRekey=Manual
MUL_80211a_SSID1_Wep_Status=Disable
[2.4GHz_MultiSSIDSettings]
