// A sheet over a solved picture gives way like paper soaking up ink: "Cover" (1 whole, 0 gone)
// eats into it in blots with a rim of ink at the wet edge. The blots follow the screen
// position, so pieces drawn side by side spread as one stain.

float4x4 WorldViewProj;
float Cover;
sampler2D Picture;

struct VertexOut {
    float4 position : POSITION;
    float2 uv : TEXCOORD0;
    float4 color : COLOR0;
    float2 stain : TEXCOORD1;
};

VertexOut VS(float4 position : POSITION, float2 uv : TEXCOORD0, float4 color : COLOR0) {
    VertexOut o;
    o.position = mul(position, WorldViewProj);
    o.uv = uv;
    o.color = color;
    o.stain = position.xy / 64.0;
    return o;
}

float Hash(float2 p) {
    return frac(sin(dot(p, float2(127.1, 311.7))) * 43758.5453);
}

// Smooth value noise in 0..1.
float Noise(float2 p) {
    float2 i = floor(p);
    float2 f = frac(p);
    float2 u = f * f * (3.0 - 2.0 * f);
    float a = Hash(i);
    float b = Hash(i + float2(1.0, 0.0));
    float c = Hash(i + float2(0.0, 1.0));
    float d = Hash(i + float2(1.0, 1.0));
    return lerp(lerp(a, b, u.x), lerp(c, d, u.x), u.y);
}

float4 PS(float2 uv : TEXCOORD0, float4 color : COLOR0, float2 stain : TEXCOORD1) : COLOR0 {
    float4 texel = tex2D(Picture, uv);
    // The fading is carried by Cover; the colour is taken without the draw's alpha.
    float3 tint = color.rgb / max(color.a, 0.004);
    float blot = 0.75 * Noise(stain) + 0.25 * Noise(stain * 2.7 + 7.0);
    float wet = blot - (1.0 - Cover) * 1.1 + 0.05;
    float keep = smoothstep(0.0, 0.04, wet);
    float rim = keep * (1.0 - smoothstep(0.03, 0.16, wet));
    // Ink (43, 51, 80) at the wet edge, the tile itself behind it.
    float3 ink = float3(0.17, 0.2, 0.31);
    float3 rgb = lerp(texel.rgb * tint, ink * texel.a, rim * 0.75);
    return float4(rgb, texel.a) * keep;
}
