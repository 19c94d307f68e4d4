[System]
SYS_DHCPclient=Disable
SYS_Mask=255.255.255.0
SYS_Gateway=192.168.0.1
SYS_Username=admin
SYS_Password=admin
SYS_Telnet_timeout=5 Mins
SYS_Telnet_option=Enable
SYS_IsSSH=Disable
[5GHz_WirelessSettings]
[2.4GHz_WirelessSettings]
AWS_80211g_Radio_Wave=On
AWS_80211g_SSID=kav7420
AWS_80211g_SSID_Broadcast=Enable
AWS_80211g_Beacon_Interval=100
AWS_80211g_Rate=Auto
AWS_80211g_DTIM=1
AWS_80211g_11nChannel_Width=Auto 20/40 MHz
AWS_80211g_Channel=Auto
[5GHz_SecuritySettings]
[2.4GHz_SecuritySettings]
SCR_80211g_auth_type=Open System
SCR_80211g_wep_status=Disable
[5GHz_Filter]
[2.4GHz_Filter]
Flt_80211g_filter_mac_acl=Reject
Flt_80211g_filter_mac_add1=00:11:22:00:00:01
Flt_80211g_filter_mac_add2=00:11:22:00:00:02
Flt_80211g_filter_mac_add3=00:11:22:00:00:03
[5GHz_MultiSSIDSettings]
[2.4GHz_MultiSSIDSettings]
MUL_80211g_Multi_Status=Disable
MUL_80211g_Multi_Status=Disable
