// The result-code table. DirectDraw and Direct3D codes are failures of facility 0x876, DirectSound
// codes failures of facility 0x878; a few constants reuse general COM codes.
#include "core/DirectXErrors.h"

#include "core/StringUtils.h"

namespace Tolm {

namespace {

struct ResultName
{
    int32_t code;
    const char* name;
};

constexpr int32_t Failure(uint32_t facility, uint32_t code)
{
    return int32_t(0x80000000u | (facility << 16) | code);
}

constexpr int32_t DirectDraw(uint32_t code)
{
    return Failure(0x876, code);
}

constexpr int32_t DirectSound(uint32_t code)
{
    return Failure(0x878, code);
}

constexpr ResultName kResultNames[] = {
    // General COM codes.
    {int32_t(0x80004001u), "DDERR_UNSUPPORTED"},
    {int32_t(0x80004002u), "DSERR_NOINTERFACE"},
    {int32_t(0x80004005u), "DSERR_GENERIC"},
    {int32_t(0x80040110u), "DSERR_NOAGGREGATION"},
    {int32_t(0x800401F0u), "DDERR_NOTINITIALIZED"},
    {int32_t(0x8007000Eu), "E_OUTOFMEMORY"},
    {int32_t(0x80070057u), "DDERR_INVALIDPARAMS"},

    // DirectDraw.
    {DirectDraw(5), "DDERR_ALREADYINITIALIZED"},
    {DirectDraw(10), "DDERR_CANNOTATTACHSURFACE"},
    {DirectDraw(20), "DDERR_CANNOTDETACHSURFACE"},
    {DirectDraw(40), "DDERR_CURRENTLYNOTAVAIL"},
    {DirectDraw(55), "DDERR_EXCEPTION"},
    {DirectDraw(90), "DDERR_HEIGHTALIGN"},
    {DirectDraw(95), "DDERR_INCOMPATIBLEPRIMARY"},
    {DirectDraw(100), "DDERR_INVALIDCAPS"},
    {DirectDraw(110), "DDERR_INVALIDCLIPLIST"},
    {DirectDraw(120), "DDERR_INVALIDMODE"},
    {DirectDraw(130), "DDERR_INVALIDOBJECT"},
    {DirectDraw(145), "DDERR_INVALIDPIXELFORMAT"},
    {DirectDraw(150), "DDERR_INVALIDRECT"},
    {DirectDraw(160), "DDERR_LOCKEDSURFACES"},
    {DirectDraw(170), "DDERR_NO3D"},
    {DirectDraw(180), "DDERR_NOALPHAHW"},
    {DirectDraw(181), "DDERR_NOSTEREOHARDWARE"},
    {DirectDraw(182), "DDERR_NOSURFACELEFT"},
    {DirectDraw(205), "DDERR_NOCLIPLIST"},
    {DirectDraw(210), "DDERR_NOCOLORCONVHW"},
    {DirectDraw(212), "DDERR_NOCOOPERATIVELEVELSET"},
    {DirectDraw(215), "DDERR_NOCOLORKEY"},
    {DirectDraw(220), "DDERR_NOCOLORKEYHW"},
    {DirectDraw(222), "DDERR_NODIRECTDRAWSUPPORT"},
    {DirectDraw(225), "DDERR_NOEXCLUSIVEMODE"},
    {DirectDraw(230), "DDERR_NOFLIPHW"},
    {DirectDraw(240), "DDERR_NOGDI"},
    {DirectDraw(250), "DDERR_NOMIRRORHW"},
    {DirectDraw(255), "DDERR_NOTFOUND"},
    {DirectDraw(260), "DDERR_NOOVERLAYHW"},
    {DirectDraw(270), "DDERR_OVERLAPPINGRECTS"},
    {DirectDraw(280), "DDERR_NORASTEROPHW"},
    {DirectDraw(290), "DDERR_NOROTATIONHW"},
    {DirectDraw(310), "DDERR_NOSTRETCHHW"},
    {DirectDraw(316), "DDERR_NOT4BITCOLOR"},
    {DirectDraw(317), "DDERR_NOT4BITCOLORINDEX"},
    {DirectDraw(320), "DDERR_NOT8BITCOLOR"},
    {DirectDraw(330), "DDERR_NOTEXTUREHW"},
    {DirectDraw(335), "DDERR_NOVSYNCHW"},
    {DirectDraw(340), "DDERR_NOZBUFFERHW"},
    {DirectDraw(350), "DDERR_NOZOVERLAYHW"},
    {DirectDraw(360), "DDERR_OUTOFCAPS"},
    {DirectDraw(380), "DDERR_OUTOFVIDEOMEMORY"},
    {DirectDraw(382), "DDERR_OVERLAYCANTCLIP"},
    {DirectDraw(384), "DDERR_OVERLAYCOLORKEYONLYONEACTIVE"},
    {DirectDraw(387), "DDERR_PALETTEBUSY"},
    {DirectDraw(400), "DDERR_COLORKEYNOTSET"},
    {DirectDraw(410), "DDERR_SURFACEALREADYATTACHED"},
    {DirectDraw(420), "DDERR_SURFACEALREADYDEPENDENT"},
    {DirectDraw(430), "DDERR_SURFACEBUSY"},
    {DirectDraw(435), "DDERR_CANTLOCKSURFACE"},
    {DirectDraw(440), "DDERR_SURFACEISOBSCURED"},
    {DirectDraw(450), "DDERR_SURFACELOST"},
    {DirectDraw(460), "DDERR_SURFACENOTATTACHED"},
    {DirectDraw(470), "DDERR_TOOBIGHEIGHT"},
    {DirectDraw(480), "DDERR_TOOBIGSIZE"},
    {DirectDraw(490), "DDERR_TOOBIGWIDTH"},
    {DirectDraw(510), "DDERR_UNSUPPORTEDFORMAT"},
    {DirectDraw(520), "DDERR_UNSUPPORTEDMASK"},
    {DirectDraw(521), "DDERR_INVALIDSTREAM"},
    {DirectDraw(537), "DDERR_VERTICALBLANKINPROGRESS"},
    {DirectDraw(540), "DDERR_WASSTILLDRAWING"},
    {DirectDraw(560), "DDERR_XALIGN"},
    {DirectDraw(561), "DDERR_INVALIDDIRECTDRAWGUID"},
    {DirectDraw(562), "DDERR_DIRECTDRAWALREADYCREATED"},
    {DirectDraw(563), "DDERR_NODIRECTDRAWHW"},
    {DirectDraw(564), "DDERR_PRIMARYSURFACEALREADYEXISTS"},
    {DirectDraw(565), "DDERR_NOEMULATION"},
    {DirectDraw(566), "DDERR_REGIONTOOSMALL"},
    {DirectDraw(567), "DDERR_CLIPPERISUSINGHWND"},
    {DirectDraw(568), "DDERR_NOCLIPPERATTACHED"},
    {DirectDraw(569), "DDERR_NOHWND"},
    {DirectDraw(570), "DDERR_HWNDSUBCLASSED"},
    {DirectDraw(571), "DDERR_HWNDALREADYSET"},
    {DirectDraw(572), "DDERR_NOPALETTEATTACHED"},
    {DirectDraw(573), "DDERR_NOPALETTEHW"},
    {DirectDraw(574), "DDERR_BLTFASTCANTCLIP"},
    {DirectDraw(575), "DDERR_NOBLTHW"},
    {DirectDraw(576), "DDERR_NODDROPSHW"},
    {DirectDraw(577), "DDERR_OVERLAYNOTVISIBLE"},
    {DirectDraw(579), "DDERR_INVALIDPOSITION"},
    {DirectDraw(580), "DDERR_NOTAOVERLAYSURFACE"},
    {DirectDraw(581), "DDERR_EXCLUSIVEMODEALREADYSET"},
    {DirectDraw(582), "DDERR_NOTFLIPPABLE"},
    {DirectDraw(583), "DDERR_CANTDUPLICATE"},
    {DirectDraw(584), "DDERR_NOTLOCKED"},
    {DirectDraw(585), "DDERR_CANTCREATEDC"},
    {DirectDraw(586), "DDERR_NODC"},
    {DirectDraw(587), "DDERR_WRONGMODE"},
    {DirectDraw(588), "DDERR_IMPLICITLYCREATED"},
    {DirectDraw(589), "DDERR_NOTPALETTIZED"},
    {DirectDraw(590), "DDERR_UNSUPPORTEDMODE"},
    {DirectDraw(591), "DDERR_NOMIPMAPHW"},
    {DirectDraw(592), "DDERR_INVALIDSURFACETYPE"},
    {DirectDraw(600), "DDERR_NOOPTIMIZEHW"},
    {DirectDraw(601), "DDERR_NOTLOADED"},
    {DirectDraw(602), "DDERR_NOFOCUSWINDOW"},
    {DirectDraw(620), "DDERR_DCALREADYCREATED"},
    {DirectDraw(630), "DDERR_NONONLOCALVIDMEM"},
    {DirectDraw(640), "DDERR_CANTPAGELOCK"},
    {DirectDraw(660), "DDERR_CANTPAGEUNLOCK"},
    {DirectDraw(680), "DDERR_NOTPAGELOCKED"},
    {DirectDraw(690), "DDERR_MOREDATA"},
    {DirectDraw(691), "DDERR_EXPIRED"},
    {DirectDraw(695), "DDERR_VIDEONOTACTIVE"},
    {DirectDraw(699), "DDERR_DEVICEDOESNTOWNSURFACE"},

    // Direct3D.
    {DirectDraw(700), "D3DERR_BADMAJORVERSION"},
    {DirectDraw(701), "D3DERR_BADMINORVERSION"},
    {DirectDraw(705), "D3DERR_INVALID_DEVICE"},
    {DirectDraw(706), "D3DERR_INITFAILED"},
    {DirectDraw(707), "D3DERR_DEVICEAGGREGATED"},
    {DirectDraw(720), "D3DERR_TEXTURE_NO_SUPPORT"},
    {DirectDraw(721), "D3DERR_TEXTURE_CREATE_FAILED"},
    {DirectDraw(722), "D3DERR_TEXTURE_DESTROY_FAILED"},
    {DirectDraw(723), "D3DERR_TEXTURE_LOCK_FAILED"},
    {DirectDraw(724), "D3DERR_TEXTURE_UNLOCK_FAILED"},
    {DirectDraw(725), "D3DERR_TEXTURE_LOAD_FAILED"},
    {DirectDraw(726), "D3DERR_TEXTURE_SWAP_FAILED"},
    {DirectDraw(727), "D3DERR_TEXTURE_LOCKED"},
    {DirectDraw(728), "D3DERR_TEXTURE_NOT_LOCKED"},
    {DirectDraw(729), "D3DERR_TEXTURE_GETSURF_FAILED"},
    {DirectDraw(730), "D3DERR_MATRIX_CREATE_FAILED"},
    {DirectDraw(731), "D3DERR_MATRIX_DESTROY_FAILED"},
    {DirectDraw(732), "D3DERR_MATRIX_SETDATA_FAILED"},
    {DirectDraw(733), "D3DERR_MATRIX_GETDATA_FAILED"},
    {DirectDraw(734), "D3DERR_SETVIEWPORTDATA_FAILED"},
    {DirectDraw(735), "D3DERR_INVALIDCURRENTVIEWPORT"},
    {DirectDraw(736), "D3DERR_INVALIDPRIMITIVETYPE"},
    {DirectDraw(737), "D3DERR_INVALIDVERTEXTYPE"},
    {DirectDraw(738), "D3DERR_TEXTURE_BADSIZE"},
    {DirectDraw(739), "D3DERR_INVALIDRAMPTEXTURE"},
    {DirectDraw(740), "D3DERR_MATERIAL_CREATE_FAILED"},
    {DirectDraw(741), "D3DERR_MATERIAL_DESTROY_FAILED"},
    {DirectDraw(742), "D3DERR_MATERIAL_SETDATA_FAILED"},
    {DirectDraw(743), "D3DERR_MATERIAL_GETDATA_FAILED"},
    {DirectDraw(744), "D3DERR_INVALIDPALETTE"},
    {DirectDraw(745), "D3DERR_ZBUFF_NEEDS_SYSTEMMEMORY"},
    {DirectDraw(746), "D3DERR_ZBUFF_NEEDS_VIDEOMEMORY"},
    {DirectDraw(747), "D3DERR_SURFACENOTINVIDMEM"},
    {DirectDraw(750), "D3DERR_LIGHT_SET_FAILED"},
    {DirectDraw(751), "D3DERR_LIGHTHASVIEWPORT"},
    {DirectDraw(752), "D3DERR_LIGHTNOTINTHISVIEWPORT"},
    {DirectDraw(760), "D3DERR_SCENE_IN_SCENE"},
    {DirectDraw(761), "D3DERR_SCENE_NOT_IN_SCENE"},
    {DirectDraw(762), "D3DERR_SCENE_BEGIN_FAILED"},
    {DirectDraw(763), "D3DERR_SCENE_END_FAILED"},
    {DirectDraw(770), "D3DERR_INBEGIN"},
    {DirectDraw(771), "D3DERR_NOTINBEGIN"},
    {DirectDraw(772), "D3DERR_NOVIEWPORTS"},
    {DirectDraw(773), "D3DERR_VIEWPORTDATANOTSET"},
    {DirectDraw(774), "D3DERR_VIEWPORTHASNODEVICE"},
    {DirectDraw(775), "D3DERR_NOCURRENTVIEWPORT"},
    {DirectDraw(2048), "D3DERR_INVALIDVERTEXFORMAT"},
    {DirectDraw(2050), "D3DERR_COLORKEYATTACHED"},
    {DirectDraw(2060), "D3DERR_VERTEXBUFFEROPTIMIZED"},
    {DirectDraw(2061), "D3DERR_VBUF_CREATE_FAILED"},
    {DirectDraw(2062), "D3DERR_VERTEXBUFFERLOCKED"},
    {DirectDraw(2063), "D3DERR_VERTEXBUFFERUNLOCKFAILED"},
    {DirectDraw(2070), "D3DERR_ZBUFFER_NOTPRESENT"},
    {DirectDraw(2071), "D3DERR_STENCILBUFFER_NOTPRESENT"},
    {DirectDraw(2072), "D3DERR_WRONGTEXTUREFORMAT"},
    {DirectDraw(2073), "D3DERR_UNSUPPORTEDCOLOROPERATION"},
    {DirectDraw(2074), "D3DERR_UNSUPPORTEDCOLORARG"},
    {DirectDraw(2075), "D3DERR_UNSUPPORTEDALPHAOPERATION"},
    {DirectDraw(2076), "D3DERR_UNSUPPORTEDALPHAARG"},
    {DirectDraw(2077), "D3DERR_TOOMANYOPERATIONS"},
    {DirectDraw(2078), "D3DERR_CONFLICTINGTEXTUREFILTER"},
    {DirectDraw(2079), "D3DERR_UNSUPPORTEDFACTORVALUE"},
    {DirectDraw(2081), "D3DERR_CONFLICTINGRENDERSTATE"},
    {DirectDraw(2082), "D3DERR_UNSUPPORTEDTEXTUREFILTER"},
    {DirectDraw(2083), "D3DERR_TOOMANYPRIMITIVES"},
    {DirectDraw(2084), "D3DERR_INVALIDMATRIX"},
    {DirectDraw(2086), "D3DERR_CONFLICTINGTEXTUREPALETTE"},
    {DirectDraw(2100), "D3DERR_INVALIDSTATEBLOCK"},
    {DirectDraw(2101), "D3DERR_INBEGINSTATEBLOCK"},
    {DirectDraw(2102), "D3DERR_NOTINBEGINSTATEBLOCK"},

    // DirectSound.
    {DirectSound(10), "DSERR_ALLOCATED"},
    {DirectSound(30), "DSERR_CONTROLUNAVAIL"},
    {DirectSound(50), "DSERR_INVALIDCALL"},
    {DirectSound(70), "DSERR_PRIOLEVELNEEDED"},
    {DirectSound(100), "DSERR_BADFORMAT"},
    {DirectSound(120), "DSERR_NODRIVER"},
    {DirectSound(130), "DSERR_ALREADYINITIALIZED"},
    {DirectSound(150), "DSERR_BUFFERLOST"},
    {DirectSound(160), "DSERR_OTHERAPPHASPRIO"},
    {DirectSound(170), "DSERR_UNINITIALIZED"},
};

} // namespace

std::string DirectXErrorName(int32_t result)
{
    for (const ResultName& entry : kResultNames) {
        if (entry.code == result) {
            return entry.name;
        }
    }
    return FormatString("%x", uint32_t(result));
}

} // namespace Tolm
